// The simulated motor's options (module options and configuration lines), e.g.
// "motor-inertia", "3e-5" or "motion", "ideal".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/dc_motor.h"

namespace kravent::sim {

// Nothing when `name` is no motor option; else an empty string, or what is wrong.
std::optional<std::string> ApplyMotorOption(MotorParameters& motor, std::string_view name, std::string_view value);

}  // namespace kravent::sim
