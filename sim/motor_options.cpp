#include "sim/motor_options.h"

#include <charconv>
#include <cmath>

#include "sim/register_text.h"

namespace kravent::sim {

namespace {

struct RealOption {
    std::string_view name;
    double MotorParameters::*field;
    bool zeroAllowed;
};

constexpr RealOption kRealOptions[] = {
    {"motor-resistance", &MotorParameters::resistanceOhm, false},
    {"motor-inductance", &MotorParameters::inductanceHenry, true},
    {"motor-torque-constant", &MotorParameters::torqueConstant, false},
    {"motor-inertia", &MotorParameters::inertia, false},
    {"motor-viscous-friction", &MotorParameters::viscousFriction, true},
    {"motor-coulomb-friction", &MotorParameters::coulombFriction, true},
};

}  // namespace

std::optional<std::string> ApplyMotorOption(MotorParameters& motor, std::string_view name, std::string_view value) {
    if (name == "encoder-counts") {
        const auto counts = ParseInteger(value, 1, 1 << 24);
        if (!counts) return "expects counts per revolution from 1 to 16777216";
        motor.countsPerRevolution = static_cast<std::int32_t>(*counts);
        return "";
    }
    if (name == "motion") {
        if (value != "physical" && value != "ideal") return "expects physical or ideal";
        motor.idealMotion = value == "ideal";
        return "";
    }
    for (const RealOption& option : kRealOptions) {
        if (option.name != name) continue;
        double number = 0;
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
        const bool fits = error == std::errc{} && end == value.data() + value.size() && std::isfinite(number) &&
                          (number > 0 || (option.zeroAllowed && number == 0));
        if (!fits) return option.zeroAllowed ? "expects a number of at least 0" : "expects a number above 0";
        motor.*option.field = number;
        return "";
    }
    return std::nullopt;
}

}  // namespace kravent::sim
