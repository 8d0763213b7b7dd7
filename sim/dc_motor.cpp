#include "sim/dc_motor.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kravent::sim {

namespace {
constexpr double kMillisecond = 0.001;
constexpr double kLongestSubstep = kMillisecond;
constexpr int kMostSubsteps = 64;
constexpr double kStandstill = 1e-9;  // rad/s and A below which motion and current are taken as ended
}  // namespace

DcMotor::DcMotor(const MotorParameters& parameters)
    : p_(parameters),
      radiansPerCount_(2.0 * std::numbers::pi / std::max(1, parameters.countsPerRevolution)) {
    // A tenth of the mechanical time constant keeps the explicit speed update accurate
    // (one substep for the default motor); the electrical part is solved exactly, so
    // the inductance sets no step.
    const double mechanical = p_.inertia * p_.resistanceOhm / (p_.torqueConstant * p_.torqueConstant);
    const double wanted = std::min(kLongestSubstep, mechanical / 10.0);
    substeps_ = std::clamp(static_cast<int>(std::ceil(kMillisecond / wanted)), 1, kMostSubsteps);
    substepSeconds_ = kMillisecond / substeps_;
    currentDecay_ = p_.inductanceHenry > 0 ? std::exp(-substepSeconds_ * p_.resistanceOhm / p_.inductanceHenry) : 0.0;
}

bool DcMotor::StepMillisecond(MotorState& s, double volts, double currentLimit) const {
    bool limited = false;
    const double h = substepSeconds_;
    double w = s.countsPerSecond * radiansPerCount_;
    double i = s.amperes;
    double turned = 0;  // radians
    for (int k = 0; k < substeps_; ++k) {
        // Current: first-order answer to the voltage less the back-EMF of this substep.
        const double steady = (volts - p_.torqueConstant * w) / p_.resistanceOhm;
        i = steady + (i - steady) * currentDecay_;
        if (std::fabs(i) > currentLimit) {
            i = std::copysign(currentLimit, i);
            limited = true;
        }
        if (std::fabs(i) < kStandstill) i = 0;
        // Speed: Coulomb friction holds a resting rotor until the torque overcomes it,
        // and brings a turning one to rest rather than reversing it.
        const double torque = p_.torqueConstant * i - p_.viscousFriction * w;
        double next = w;
        if (w != 0) {
            next = w + (torque - std::copysign(p_.coulombFriction, w)) / p_.inertia * h;
            if ((next > 0) != (w > 0) || std::fabs(next) < kStandstill) next = 0;
        } else if (std::fabs(torque) > p_.coulombFriction) {
            next = (torque - std::copysign(p_.coulombFriction, torque)) / p_.inertia * h;
        }
        turned += 0.5 * (w + next) * h;
        w = next;
    }
    s.amperes = i;
    s.counts += turned / radiansPerCount_;
    s.countsPerSecond = w / radiansPerCount_;
    return limited;
}

}  // namespace kravent::sim
