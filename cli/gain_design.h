// Gains for the module's PID from a motor estimate (motor_identification.h), for the
// module's own LOOPTIME. The PID gives COMMAND = KP e + KI i + KD d, with i the error
// summed in count-seconds (held within ANTIRESETWINDUP) and d the error's change per
// millisecond, so its derivative gain per second is kd = KD / 1000.
//
// Position mode, plant K / (s (tau s + 1)) from command to counts: the closed loop's
// poles at s^2 + 2 z w s + w^2,
//     KP = tau w^2 / K,   kd = (2 z w tau - 1) / K   (0 if negative),
//   no-overshoot: w = 40 rad/s, z = 1.5 (overdamped, so that the kick of the error's
//     derivative when the target jumps adds no overshoot either);
//   fast: w = 60 rad/s, z = 1 (critical; that kick may overshoot by a few per cent).
//   Both: the integral only overcomes friction f. Its zero sits at w / 5 (KI = KP w / 5,
//   or less) and ANTIRESETWINDUP W lets it push no more than KI W = 1.3 f, so it cannot
//   wind up into an overshoot: W = ceil(1.3 f / KI), then KI = min(KI, 1.3 f / W).
// Speed mode, plant K / (tau s + 1) from command to counts/s: a PI whose zero cancels
// the lag (KP / KI = tau), the loop again an integrator of crossover w:
//   KP = w tau / K,  KI = w / K,  KD = 0,  ANTIRESETWINDUP just enough for full command.
// The speed loop's crossover w is the rule's too. Every w is at most a tenth of the
// loop's rate (1 / LOOPTIME).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "cli/motor_identification.h"

namespace kravent::cli {

enum class TuningMode { kPosition, kSpeed };
enum class TuningRule { kNoOvershoot, kFast };

inline constexpr std::string_view kTuningRuleNames = "no-overshoot, fast";
// The least excursion of the experiment, in counts: smaller probing steps measure the
// encoder's counts more than the motor.
inline constexpr std::int32_t kLeastAutotuneExcursion = 20;
std::optional<TuningRule> FindTuningRule(std::string_view name);
std::string_view TuningRuleName(TuningRule rule);

struct ProposedGains {
    double kp;
    double ki;
    double kd;
    std::int32_t antiResetWindup;
    double crossover;  // w of the design, rad/s
};

ProposedGains DesignGains(const MotorEstimate& motor, TuningMode mode, TuningRule rule, double loopSeconds);

}  // namespace kravent::cli
