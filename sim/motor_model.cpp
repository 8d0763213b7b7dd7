#include "sim/motor_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kravent::sim {

namespace {
constexpr double kStepSeconds = 0.001;
constexpr std::uint64_t kMaxStepsPerAdvance = 600000;  // ten minutes; longer idle time is cut
constexpr double kAccelerationPerAmpere = 1000.0;
constexpr double kIdleCurrent = 0.05;  // drawn while turning
constexpr double kSupplyResistance = 0.5;  // volts of drop per ampere
constexpr float kUnderVoltage = 18.0f;
constexpr double kCommandLimit = 32767.0;

std::int32_t ToInt32(double v) {
    const double lo = std::numeric_limits<std::int32_t>::min();
    const double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::llround(std::clamp(v, lo, hi)));
}

// Moves `speed` toward `target`, speeding up at `accel` and slowing down at `decel`.
double Ramp(double speed, double target, double accel, double decel, double dt) {
    const bool speedingUp = std::fabs(target) > std::fabs(speed) && (target >= 0) == (speed >= 0);
    const double step = (speedingUp ? accel : decel) * dt;
    if (std::fabs(target - speed) <= step) return target;
    return speed + (target > speed ? step : -step);
}
}  // namespace

struct MotorModel::Params {
    std::int32_t mode;
    double input, accel, decel, top, deadzone;
    double kp, ki, kd, antiWindup;
    bool limit1, limit2;
    double limit1Position, limit2Position, homingPosition;
    bool currentLimited;
};

void MotorModel::AdvanceTo(RegisterStore& store, std::uint64_t nowMs) {
    std::lock_guard lock(mutex_);
    if (!started_ || nowMs < lastMs_) {
        started_ = true;
        lastMs_ = nowMs;
        position_ = store.GetInt("POSITION");
        publishedPosition_ = store.GetInt("POSITION");
        Publish(store);
        return;
    }
    // Within the same millisecond nothing moves and the store holds what was
    // published, so the many requests of a busy connection cost nothing here.
    if (nowMs == lastMs_) return;
    // A host may have written POSITION or INTEGRALDELTA since the last step.
    if (const std::int32_t p = store.GetInt("POSITION"); p != publishedPosition_) position_ = p;
    if (const std::int32_t i = store.GetInt("INTEGRALDELTA"); i != publishedIntegral_) integral_ = i;

    Params p{};
    p.mode = store.GetInt("REGULATIONMODE");
    const double input = static_cast<double>(store.GetInt("INPUT")) + store.GetInt("INPUTOFFSET");
    p.input = std::clamp(input, static_cast<double>(store.GetInt("INPUTMIN")),
                         std::max<double>(store.GetInt("INPUTMIN"), store.GetInt("INPUTMAX")));
    const double currentLimit = std::max(0.0, static_cast<double>(store.GetFloat("CURRENTMAX"))) * kAccelerationPerAmpere;
    const double accel = std::max(1, store.GetInt("ACCELERATION"));
    p.accel = std::min(accel, std::max(1.0, currentLimit));
    p.currentLimited = accel > p.accel;
    p.decel = std::max(1, store.GetInt("DECELERATION"));
    p.top = std::max(0, store.GetInt("TOPSPEED"));
    p.deadzone = std::max(0, store.GetInt("DEADZONE"));
    p.kp = store.GetFloat("KP");
    p.ki = store.GetFloat("KI");
    p.kd = store.GetFloat("KD");
    p.antiWindup = std::max(0, store.GetInt("ANTIRESETWINDUP"));
    p.limit1 = store.GetInt("LIMIT1SETUP") != 0;
    p.limit2 = store.GetInt("LIMIT2SETUP") != 0;
    p.limit1Position = store.GetInt("LIMIT1POSITION");
    p.limit2Position = store.GetInt("LIMIT2POSITION");
    p.homingPosition = store.GetInt("HOMINGPOSITION");

    const std::uint64_t steps = std::min<std::uint64_t>(nowMs - lastMs_, kMaxStepsPerAdvance);
    lastMs_ = nowMs;
    for (std::uint64_t k = 0; k < steps; ++k) Step(p, kStepSeconds, store);
    Publish(store);
}

void MotorModel::Step(const Params& p, double dt, RegisterStore& store) {
    const std::int32_t mode = homing_ ? kModePosition : p.mode;
    const double before = speed_;
    double error = 0;
    double target = 0;
    if (mode == kModePosition) {
        target = homing_ ? p.homingPosition : p.input;
        const double distance = target - position_;
        // Fastest speed from which the motor can still stop at the target.
        const double stopping = std::sqrt(2.0 * p.decel * std::fabs(distance));
        const double wanted = std::copysign(std::min(p.top, stopping), distance);
        speed_ = Ramp(speed_, wanted, p.accel, p.decel, dt);
        position_ += speed_ * dt;
        if (std::fabs(target - position_) <= 0.5 && std::fabs(speed_) <= 2.0 * p.decel * dt) {
            position_ = target;
            speed_ = 0;
            homing_ = false;
        }
        error = target - position_;
        if (std::fabs(error) <= p.deadzone) error = 0;
        feedback_ = ToInt32(position_);
    } else {
        target = mode == kModeSpeed ? std::clamp(p.input, -p.top, p.top) : 0.0;
        speed_ = Ramp(speed_, target, p.accel, p.decel, dt);
        position_ += speed_ * dt;
        error = mode == kModeSpeed ? target - speed_ : 0.0;
        feedback_ = ToInt32(speed_);
    }

    std::uint32_t warnings = 0;
    if (p.limit1 && position_ <= p.limit1Position) {
        position_ = p.limit1Position;
        speed_ = std::max(0.0, speed_);
        warnings |= kWarningLimit1;
    }
    if (p.limit2 && position_ >= p.limit2Position) {
        position_ = p.limit2Position;
        speed_ = std::min(0.0, speed_);
        warnings |= kWarningLimit2;
    }
    const double acceleration = std::fabs(speed_ - before) / dt;
    if (p.currentLimited && acceleration >= p.accel * 0.999) warnings |= kWarningOverCurrent;
    current_ = (speed_ != 0.0 ? kIdleCurrent : 0.0) + acceleration / kAccelerationPerAmpere;

    if (mode == kModePosition || mode == kModeSpeed) {
        integral_ = std::clamp(integral_ + error * dt, -p.antiWindup, p.antiWindup);
        derivative_ = ToInt32((error - previousError_) / dt);
        command_ = ToInt32(std::clamp(p.kp * error + p.ki * integral_ + p.kd * derivative_, -kCommandLimit, kCommandLimit));
    } else {
        integral_ = 0;
        derivative_ = 0;
        command_ = 0;
    }
    previousError_ = error;
    desired_ = ToInt32(target);
    if (warnings != 0) store.RaiseWarnings(warnings);
}

void MotorModel::Publish(RegisterStore& store) {
    publishedPosition_ = ToInt32(position_);
    publishedIntegral_ = ToInt32(integral_);
    store.SetInt("POSITION", publishedPosition_);
    store.SetInt("SPEED", ToInt32(speed_));
    store.SetInt("DESIRED", desired_);
    store.SetInt("FEEDBACK", feedback_);
    store.SetInt("COMMAND", command_);
    store.SetInt("INTEGRALDELTA", publishedIntegral_);
    store.SetInt("DERIVATIONOFDELTA", derivative_);
    const float volts = supplyVolts_ - static_cast<float>(kSupplyResistance * current_);
    store.SetFloat("VOLTAGE", volts);
    if (volts < kUnderVoltage) store.RaiseWarnings(kWarningUnderVoltage);
}

void MotorModel::Reset(RegisterStore& store) {
    std::lock_guard lock(mutex_);
    position_ = speed_ = integral_ = previousError_ = current_ = 0;
    desired_ = feedback_ = command_ = derivative_ = 0;
    homing_ = false;
    store.SetInt("REGULATIONMODE", kModeOff);
    store.SetInt("INPUT", 0);
    store.SetWord("WARNINGS", 0);
    Publish(store);
}

void MotorModel::StartHoming() {
    std::lock_guard lock(mutex_);
    homing_ = true;
}

void MotorModel::StopHoming() {
    std::lock_guard lock(mutex_);
    homing_ = false;
}

bool MotorModel::Homing() const {
    std::lock_guard lock(mutex_);
    return homing_;
}

void MotorModel::SetSupplyVoltage(float volts) {
    std::lock_guard lock(mutex_);
    supplyVolts_ = volts;
}

}  // namespace kravent::sim
