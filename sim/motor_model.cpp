#include "sim/motor_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kravent::sim {

namespace {
constexpr double kStepSeconds = 0.001;
constexpr std::uint64_t kMaxStepsPerAdvance = 600000;  // ten minutes; longer idle time is cut
constexpr double kIdealAccelerationPerAmpere = 1000.0;
constexpr double kIdealIdleCurrent = 0.05;  // drawn while turning
constexpr double kSupplyResistance = 0.5;   // volts of drop per ampere
constexpr float kUnderVoltage = 18.0f;
constexpr double kStandingSpeed = 5.0;  // counts/s
constexpr double kHomingWindow = 10.0;  // counts from HOMINGPOSITION that count as there

std::int32_t ToInt32(double v) {
    const double lo = std::numeric_limits<std::int32_t>::min();
    const double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::llround(std::clamp(v, lo, hi)));
}
}  // namespace

struct MotorModel::Params {
    std::int32_t mode;
    int loopMs;
    double input, homingPosition;
    ProfileLimits limits;
    PidGains gains;
    double currentLimit, outputVoltageMax;
    double idealAcceleration;  // ACCELERATION held back by CURRENTMAX
    bool limit1, limit2;
    double limit1Position, limit2Position;
};

MotorModel::Params MotorModel::ReadParams(const RegisterStore& store) {
    Params p{};
    p.mode = store.GetInt("REGULATIONMODE");
    p.loopMs = std::max(1, store.GetInt("LOOPTIME"));
    const double input = static_cast<double>(store.GetInt("INPUT")) + store.GetInt("INPUTOFFSET");
    p.input = std::clamp(input, static_cast<double>(store.GetInt("INPUTMIN")),
                         std::max<double>(store.GetInt("INPUTMIN"), store.GetInt("INPUTMAX")));
    p.homingPosition = store.GetInt("HOMINGPOSITION");
    p.limits = {std::max(1.0, static_cast<double>(store.GetInt("ACCELERATION"))),
                std::max(1.0, static_cast<double>(store.GetInt("DECELERATION"))),
                std::max(0.0, static_cast<double>(store.GetInt("TOPSPEED")))};
    p.gains = {store.GetFloat("KP"), store.GetFloat("KI"), store.GetFloat("KD"),
               std::max(0.0, static_cast<double>(store.GetInt("ANTIRESETWINDUP"))),
               std::max(0.0, static_cast<double>(store.GetInt("DEADZONE")))};
    p.currentLimit = std::max(0.0f, store.GetFloat("CURRENTMAX"));
    p.outputVoltageMax = std::max(0.0f, store.GetFloat("OUPUTVOLTAGEMAX"));
    p.idealAcceleration = std::min(p.limits.acceleration, std::max(1.0, p.currentLimit * kIdealAccelerationPerAmpere));
    p.limit1 = store.GetInt("LIMIT1SETUP") != 0;
    p.limit2 = store.GetInt("LIMIT2SETUP") != 0;
    p.limit1Position = store.GetInt("LIMIT1POSITION");
    p.limit2Position = store.GetInt("LIMIT2POSITION");
    return p;
}

void MotorModel::Configure(const MotorParameters& parameters) {
    std::lock_guard lock(mutex_);
    ideal_ = parameters.idealMotion;
    motor_ = DcMotor(parameters);
}

void MotorModel::AdvanceTo(RegisterStore& store, std::uint64_t nowMs) {
    std::lock_guard lock(mutex_);
    if (!started_ || nowMs < lastMs_) {
        started_ = true;
        lastMs_ = nowMs;
        state_.counts = store.GetInt("POSITION");
        Publish(store);
        return;
    }
    // Within the same millisecond nothing moves and the store holds what was
    // published, so the many requests of a busy connection cost nothing here.
    if (nowMs == lastMs_) return;
    // A host may have written POSITION or INTEGRALDELTA since the last step.
    if (const std::int32_t p = store.GetInt("POSITION"); p != publishedPosition_) state_.counts = p;
    if (const std::int32_t i = store.GetInt("INTEGRALDELTA"); i != publishedIntegral_) pid_.integral = i;

    const Params p = ReadParams(store);
    const std::uint64_t steps = std::min<std::uint64_t>(nowMs - lastMs_, kMaxStepsPerAdvance);
    lastMs_ = nowMs;
    std::uint32_t warnings = 0;
    for (std::uint64_t k = 0; k < steps; ++k) {
        const std::int32_t mode = homing_ ? kModePosition : p.mode;
        std::uint32_t now = 0;
        if (ideal_) StepIdeal(p, mode, now);
        else StepPhysical(p, mode, now);
        ApplyLimits(p, now);
        warnings |= now;
        // A motor at rest without drive stays so: the remaining steps would change nothing.
        if (mode != kModePosition && mode != kModeSpeed && now == 0 && state_.countsPerSecond == 0 &&
            state_.amperes == 0)
            break;
    }
    if (warnings != 0) store.RaiseWarnings(warnings);
    Publish(store);
}

void MotorModel::StepPhysical(const Params& p, std::int32_t mode, std::uint32_t& warnings) {
    if (++msSinceControl_ >= p.loopMs) {
        msSinceControl_ = 0;
        Control(p, mode, p.loopMs * kStepSeconds);
    }
    const double available = std::max(0.0, supplyVolts_ - kSupplyResistance * std::fabs(state_.amperes));
    const double volts = std::clamp(command_ / kCommandLimit * p.outputVoltageMax, -available, available);
    if (motor_.StepMillisecond(state_, volts, p.currentLimit)) warnings |= kWarningOverCurrent;
}

void MotorModel::Control(const Params& p, std::int32_t mode, double dt) {
    const double measured = std::floor(state_.counts);  // what the encoder tells
    if (mode == kModePosition) {
        const double target = homing_ ? p.homingPosition : p.input;
        const bool arrived = profile_.Advance(target, p.limits, dt);
        desired_ = profile_.position;
        feedback_ = measured;
        command_ = pid_.Update(desired_ - feedback_, p.gains, dt);
        const bool standing = std::fabs(state_.countsPerSecond) < kStandingSpeed;
        if (homing_ && arrived && standing && std::fabs(target - measured) <= std::max(kHomingWindow, p.gains.deadzone))
            homing_ = false;
        return;
    }
    profile_.position = measured;  // position mode starts where the motor stands
    feedback_ = state_.countsPerSecond;
    if (mode == kModeSpeed) {
        const double target = std::clamp(p.input, -p.limits.topSpeed, p.limits.topSpeed);
        profile_.speed = Ramp(profile_.speed, target, p.limits.acceleration, p.limits.deceleration, dt);
        desired_ = profile_.speed;
        command_ = pid_.Update(desired_ - feedback_, p.gains, dt);
    } else {
        profile_.speed = state_.countsPerSecond;
        desired_ = command_ = 0;
        pid_ = {};
    }
}

// The motor moves exactly along the profile; the PID only computes COMMAND.
void MotorModel::StepIdeal(const Params& p, std::int32_t mode, std::uint32_t& warnings) {
    const double before = state_.countsPerSecond;
    const ProfileLimits limits{p.idealAcceleration, p.limits.deceleration, p.limits.topSpeed};
    double error = 0;
    if (mode == kModePosition) {
        desired_ = homing_ ? p.homingPosition : p.input;
        profile_ = {state_.counts, state_.countsPerSecond};
        if (profile_.Advance(desired_, limits, kStepSeconds)) homing_ = false;
        state_.counts = profile_.position;
        state_.countsPerSecond = profile_.speed;
        error = desired_ - state_.counts;
        feedback_ = state_.counts;
    } else {
        desired_ = mode == kModeSpeed ? std::clamp(p.input, -p.limits.topSpeed, p.limits.topSpeed) : 0.0;
        state_.countsPerSecond = Ramp(state_.countsPerSecond, desired_, limits.acceleration, limits.deceleration, kStepSeconds);
        state_.counts += state_.countsPerSecond * kStepSeconds;
        error = mode == kModeSpeed ? desired_ - state_.countsPerSecond : 0.0;
        feedback_ = state_.countsPerSecond;
    }
    const double acceleration = std::fabs(state_.countsPerSecond - before) / kStepSeconds;
    if (limits.acceleration < p.limits.acceleration && acceleration >= limits.acceleration * 0.999)
        warnings |= kWarningOverCurrent;
    state_.amperes = (state_.countsPerSecond != 0.0 ? kIdealIdleCurrent : 0.0) + acceleration / kIdealAccelerationPerAmpere;
    if (mode == kModePosition || mode == kModeSpeed) {
        command_ = pid_.Update(error, p.gains, kStepSeconds);
    } else {
        pid_ = {};
        command_ = 0;
    }
}

void MotorModel::ApplyLimits(const Params& p, std::uint32_t& warnings) {
    if (p.limit1 && state_.counts <= p.limit1Position) {
        state_.counts = p.limit1Position;
        state_.countsPerSecond = std::max(0.0, state_.countsPerSecond);
        warnings |= kWarningLimit1;
    }
    if (p.limit2 && state_.counts >= p.limit2Position) {
        state_.counts = p.limit2Position;
        state_.countsPerSecond = std::min(0.0, state_.countsPerSecond);
        warnings |= kWarningLimit2;
    }
}

void MotorModel::Publish(RegisterStore& store) {
    publishedPosition_ = ToInt32(std::floor(state_.counts));  // the encoder counts whole steps
    publishedIntegral_ = ToInt32(pid_.integral);
    store.SetInt("POSITION", publishedPosition_);
    store.SetInt("SPEED", ToInt32(state_.countsPerSecond));
    store.SetInt("DESIRED", ToInt32(desired_));
    store.SetInt("FEEDBACK", ToInt32(feedback_));
    store.SetInt("COMMAND", ToInt32(command_));
    store.SetInt("INTEGRALDELTA", publishedIntegral_);
    store.SetInt("DERIVATIONOFDELTA", ToInt32(pid_.derivative));
    const float volts = supplyVolts_ - static_cast<float>(kSupplyResistance * std::fabs(state_.amperes));
    store.SetFloat("VOLTAGE", volts);
    if (volts < kUnderVoltage) store.RaiseWarnings(kWarningUnderVoltage);
}

void MotorModel::Reset(RegisterStore& store) {
    std::lock_guard lock(mutex_);
    state_ = {};
    profile_ = {};
    pid_ = {};
    desired_ = feedback_ = command_ = 0;
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
