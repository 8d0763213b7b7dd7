// The module's PID: KP, KI and KD on an error, errors within DEADZONE taken as
// none. The integral (INTEGRALDELTA) is the error summed over time in count-seconds,
// held within ANTIRESETWINDUP; the derivative (DERIVATIONOFDELTA) is the error's
// change per millisecond. Both are taken per unit of time, not per loop, so the
// gains keep their meaning at any LOOPTIME.
#pragma once

#include <algorithm>
#include <cmath>

namespace kravent::sim {

inline constexpr double kCommandLimit = 32767.0;  // COMMAND at full OUPUTVOLTAGEMAX

struct PidGains {
    double kp;
    double ki;
    double kd;
    double antiWindup;
    double deadzone;
};

struct PidController {
    double integral = 0;
    double derivative = 0;
    double previousError = 0;

    // The command for `error` after `dt` seconds, within +-kCommandLimit.
    double Update(double error, const PidGains& g, double dt) {
        if (std::fabs(error) <= g.deadzone) error = 0;
        integral = std::clamp(integral + error * dt, -g.antiWindup, g.antiWindup);
        derivative = (error - previousError) / (dt * 1000.0);
        previousError = error;
        return std::clamp(g.kp * error + g.ki * integral + g.kd * derivative, -kCommandLimit, kCommandLimit);
    }
};

}  // namespace kravent::sim
