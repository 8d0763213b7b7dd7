// The profile generator: a setpoint that moves toward its target no faster than
// TOPSPEED, speeding up at ACCELERATION and slowing down at DECELERATION.
#pragma once

#include <algorithm>
#include <cmath>

namespace kravent::sim {

struct ProfileLimits {
    double acceleration;
    double deceleration;
    double topSpeed;
};

// Moves `speed` toward `target`, speeding up at `accel` and slowing down at `decel`.
inline double Ramp(double speed, double target, double accel, double decel, double dt) {
    const bool speedingUp = std::fabs(target) > std::fabs(speed) && (target >= 0) == (speed >= 0);
    const double step = (speedingUp ? accel : decel) * dt;
    if (std::fabs(target - speed) <= step) return target;
    return speed + (target > speed ? step : -step);
}

struct PositionProfile {
    double position = 0;
    double speed = 0;

    // One step of `dt` seconds toward `target`; true once the setpoint rests on it.
    bool Advance(double target, const ProfileLimits& limits, double dt) {
        const double distance = target - position;
        // Fastest speed from which the setpoint can still stop at the target.
        const double stopping = std::sqrt(2.0 * limits.deceleration * std::fabs(distance));
        const double wanted = std::copysign(std::min(limits.topSpeed, stopping), distance);
        speed = Ramp(speed, wanted, limits.acceleration, limits.deceleration, dt);
        const double next = position + speed * dt;
        const double left = target - next;
        const bool arrives = std::fabs(left) <= 0.5 || (left > 0) != (distance > 0);
        if (arrives && std::fabs(speed) <= 2.0 * limits.deceleration * dt) {
            position = target;
            speed = 0;
            return true;
        }
        position = next;
        return false;
    }
};

}  // namespace kravent::sim
