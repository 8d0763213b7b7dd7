// A brushed DC motor behind a current-limited bridge: armature resistance and
// inductance, one constant for torque and back-EMF, rotor plus load inertia,
// viscous and Coulomb friction, and an encoder. Position and speed are kept in
// encoder counts; everything else is SI.
#pragma once

#include <cstdint>

namespace kravent::sim {

struct MotorParameters {
    double resistanceOhm = 2.0;
    double inductanceHenry = 0.5e-3;
    double torqueConstant = 0.03;    // N*m/A, equal to the back-EMF constant in V*s/rad
    double inertia = 8.0e-6;         // kg*m^2, rotor and load together
    double viscousFriction = 2.0e-6; // N*m*s/rad
    double coulombFriction = 1.0e-4; // N*m
    std::int32_t countsPerRevolution = 2000;
    bool idealMotion = false;  // move along the ideal profile, whatever the gains
};

struct MotorState {
    double counts = 0;
    double countsPerSecond = 0;
    double amperes = 0;
};

class DcMotor {
public:
    explicit DcMotor(const MotorParameters& parameters = {});

    // Advances `state` by one millisecond with `volts` across the bridge, which
    // holds the current within +-`currentLimit`. Returns whether it had to.
    bool StepMillisecond(MotorState& state, double volts, double currentLimit) const;

private:
    MotorParameters p_;
    double radiansPerCount_;
    int substeps_;
    double substepSeconds_;
    double currentDecay_;  // how much of the current's distance to its steady value is left after a substep
};

}  // namespace kravent::sim
