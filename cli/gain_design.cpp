#include "cli/gain_design.h"

#include <algorithm>
#include <cmath>

namespace kravent::cli {

namespace {

constexpr double kNoOvershootCrossover = 40.0;  // rad/s
constexpr double kNoOvershootDamping = 1.5;   // well damped: the error's derivative kick at a step adds no overshoot
constexpr double kFastCrossover = 60.0;
constexpr double kFastDamping = 1.0;          // critical: the kick may overshoot a little
constexpr double kIntegralZeroShare = 0.2;      // the integral's zero at w / 5
constexpr double kFrictionPushes = 1.3;         // how many frictions the integral may push
constexpr double kLeastFriction = 1.0;          // command units: some integral always
constexpr double kLargestGain = 32767.0;        // the 16.16 registers' range
constexpr double kFullCommand = 32767.0;

// Whole 65536ths, as the registers hold them, within their range.
double AsRegister(double gain) { return std::round(std::clamp(gain, 0.0, kLargestGain) * 65536.0) / 65536.0; }

std::int32_t WindupLimit(double counts) {
    return static_cast<std::int32_t>(std::clamp(std::ceil(counts), 1.0, 2147483647.0));
}

}  // namespace

std::optional<TuningRule> FindTuningRule(std::string_view name) {
    if (name == "no-overshoot") return TuningRule::kNoOvershoot;
    if (name == "fast") return TuningRule::kFast;
    return std::nullopt;
}

std::string_view TuningRuleName(TuningRule rule) { return rule == TuningRule::kFast ? "fast" : "no-overshoot"; }

ProposedGains DesignGains(const MotorEstimate& motor, TuningMode mode, TuningRule rule, double loopSeconds) {
    const double wanted = rule == TuningRule::kFast ? kFastCrossover : kNoOvershootCrossover;
    const double w = std::min(wanted, 0.1 / std::max(loopSeconds, 1e-4));
    const double k = motor.gain;
    const double tau = motor.timeConstant;
    ProposedGains g{};
    g.crossover = w;
    if (mode == TuningMode::kSpeed) {
        g.kp = AsRegister(w * tau / k);
        g.ki = AsRegister(w / k);
        g.kd = 0;
        g.antiResetWindup = WindupLimit(g.ki > 0 ? kFullCommand / g.ki : kFullCommand);
        return g;
    }
    // Poles at s^2 + 2 z w s + w^2.
    const double damping = rule == TuningRule::kFast ? kFastDamping : kNoOvershootDamping;
    g.kp = AsRegister(tau * w * w / k);
    const double kdPerSecond = std::max(0.0, (2.0 * damping * w * tau - 1.0) / k);
    g.kd = AsRegister(kdPerSecond * 1000.0);
    // ANTIRESETWINDUP holds whole count-seconds: KI comes down a little, if need be, so
    // that the push at the limit is the one wanted.
    const double push = kFrictionPushes * std::max(motor.friction, kLeastFriction);
    const double ki = g.kp * w * kIntegralZeroShare;
    g.antiResetWindup = WindupLimit(ki > 0 ? push / ki : 1.0);
    g.ki = AsRegister(std::min(ki, push / g.antiResetWindup));
    return g;
}

}  // namespace kravent::cli
