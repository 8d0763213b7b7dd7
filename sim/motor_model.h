// A DC motor with the module's controller, stepped by elapsed time in 1 ms steps.
//
// REGULATIONMODE: 0 off (no drive; the motor coasts to rest), 1 position (INPUT +
// INPUTOFFSET, clamped to INPUTMIN..INPUTMAX, is the target: the profile generator
// moves DESIRED toward it under ACCELERATION, DECELERATION and TOPSPEED, FEEDBACK is
// the encoder's count), 2 speed (that input, clamped to +-TOPSPEED, is the target
// speed, ramped under ACCELERATION and DECELERATION into DESIRED; FEEDBACK is the
// measured speed). Other modes behave as 0. Every LOOPTIME ms the PID (pid_controller.h)
// turns DESIRED - FEEDBACK into COMMAND, which drives the motor (dc_motor.h) at
// COMMAND/32767 of OUPUTVOLTAGEMAX, bounded by the supply; the bridge holds the
// current within CURRENTMAX.
// With ideal motion the motor follows the profile exactly instead (CURRENTMAX bounds
// the acceleration at 1000 counts/s^2 per ampere) and COMMAND is only published.
// HOMING drives to HOMINGPOSITION in position mode until it is reached or STOPHOMING.
// An enabled LIMIT1SETUP stops the motor at LIMIT1POSITION from above, LIMIT2SETUP
// at LIMIT2POSITION from below. VOLTAGE is the supply less a drop with the current.
#pragma once

#include <cstdint>
#include <mutex>

#include "sim/dc_motor.h"
#include "sim/motion_profile.h"
#include "sim/pid_controller.h"
#include "sim/register_store.h"

namespace kravent::sim {

// WARNINGS bits; latched until the warnings are written.
inline constexpr std::uint32_t kWarningLimit1 = 1u << 0;        // POSITION reached LIMIT1POSITION
inline constexpr std::uint32_t kWarningLimit2 = 1u << 1;        // POSITION reached LIMIT2POSITION
inline constexpr std::uint32_t kWarningOverCurrent = 1u << 2;   // current held back by CURRENTMAX
inline constexpr std::uint32_t kWarningUnderVoltage = 1u << 3;  // VOLTAGE below 18 V

enum RegulationMode : std::int32_t { kModeOff = 0, kModePosition = 1, kModeSpeed = 2 };

class MotorModel {
public:
    // Takes a new motor; the motion state is kept.
    void Configure(const MotorParameters& parameters);
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
    static Params ReadParams(const RegisterStore& store);
    void StepIdeal(const Params& p, std::int32_t mode, std::uint32_t& warnings);
    void StepPhysical(const Params& p, std::int32_t mode, std::uint32_t& warnings);
    void Control(const Params& p, std::int32_t mode, double dt);
    void ApplyLimits(const Params& p, std::uint32_t& warnings);
    void Publish(RegisterStore& store);

    mutable std::mutex mutex_;
    bool ideal_ = false;
    DcMotor motor_;
    MotorState state_;
    PositionProfile profile_;  // the setpoint of position mode; its speed is speed mode's
    PidController pid_;
    bool started_ = false;
    std::uint64_t lastMs_ = 0;
    int msSinceControl_ = 0;
    double desired_ = 0;
    double feedback_ = 0;
    double command_ = 0;
    std::int32_t publishedPosition_ = 0;
    std::int32_t publishedIntegral_ = 0;
    bool homing_ = false;
    float supplyVolts_ = 24.0f;
};

}  // namespace kravent::sim
