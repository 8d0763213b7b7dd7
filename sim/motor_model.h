// A DC motor with its controller, stepped by elapsed time in 1 ms steps.
//
// REGULATIONMODE: 0 off (the motor coasts down at DECELERATION), 1 position
// (INPUT + INPUTOFFSET, clamped to INPUTMIN..INPUTMAX, is the target position,
// reached on a profile bounded by ACCELERATION, DECELERATION and TOPSPEED),
// 2 speed (that input, clamped to +-TOPSPEED, is the target speed). Other modes
// behave as 0. CURRENTMAX bounds the acceleration at 1000 counts/s^2 per ampere.
// DESIRED is the target, FEEDBACK the measured position or speed, COMMAND the PID
// output (KP, KI, KD; INTEGRALDELTA bounded by ANTIRESETWINDUP) clamped to +-32767.
// HOMING drives to HOMINGPOSITION in position mode until it is reached or STOPHOMING.
// An enabled LIMIT1SETUP stops the motor at LIMIT1POSITION from above, LIMIT2SETUP
// at LIMIT2POSITION from below. VOLTAGE is the supply less a drop with the current.
#pragma once

#include <cstdint>
#include <mutex>

#include "sim/register_store.h"

namespace kravent::sim {

// WARNINGS bits; latched until the warnings are written.
inline constexpr std::uint32_t kWarningLimit1 = 1u << 0;        // POSITION reached LIMIT1POSITION
inline constexpr std::uint32_t kWarningLimit2 = 1u << 1;        // POSITION reached LIMIT2POSITION
inline constexpr std::uint32_t kWarningOverCurrent = 1u << 2;   // acceleration held back by CURRENTMAX
inline constexpr std::uint32_t kWarningUnderVoltage = 1u << 3;  // VOLTAGE below 18 V

enum RegulationMode : std::int32_t { kModeOff = 0, kModePosition = 1, kModeSpeed = 2 };

class MotorModel {
public:
    // Moves the model on to `nowMs` (a monotonic clock) and publishes its state
    // into `store`. The first call only sets the time base; a call within the
    // millisecond of the last one changes nothing.
    void AdvanceTo(RegisterStore& store, std::uint64_t nowMs);
    void Reset(RegisterStore& store);  // RESETCPU: motion state to rest, mode off
    void StartHoming();
    void StopHoming();
    bool Homing() const;
    void SetSupplyVoltage(float volts);

private:
    struct Params;
    void Step(const Params& p, double dt, RegisterStore& store);
    void Publish(RegisterStore& store);

    mutable std::mutex mutex_;
    bool started_ = false;
    std::uint64_t lastMs_ = 0;
    double position_ = 0;
    double speed_ = 0;
    double integral_ = 0;
    double previousError_ = 0;
    double current_ = 0;
    std::int32_t publishedPosition_ = 0;
    std::int32_t publishedIntegral_ = 0;
    std::int32_t desired_ = 0;
    std::int32_t feedback_ = 0;
    std::int32_t command_ = 0;
    std::int32_t derivative_ = 0;
    bool homing_ = false;
    float supplyVolts_ = 24.0f;
};

}  // namespace kravent::sim
