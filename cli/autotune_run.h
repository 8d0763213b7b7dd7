// The gains experiment run on a module through an open session: it reads the module's
// mode, gains and profile, identifies the motor from small steps under a proportional
// controller (probe_plan.h, motor_identification.h), designs gains for the module's
// LOOPTIME (gain_design.h), checks the gains it found and those it proposes with one
// step each, and leaves the module as it found it, or with the proposed gains when
// asked to apply them.
//
// Safety: every sample is checked; the motion stays within `excursion` counts of where
// the motor stood. An over-current or under-voltage warning, a position outside that
// excursion, a lost connection (the settings are put back over a new one), `stop`
// (Ctrl-C) or the time limit ends the experiment at once and puts back what it found.
//
// A page can follow it live: `observer` gets every sample as it comes, each change of
// phase, and the proposal once there is one, on the thread that runs RunAutotune.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/gain_design.h"
#include "cli/motor_identification.h"
#include "cli/session.h"
#include "cli/step_response.h"

namespace kravent::cli {

inline constexpr std::int32_t kDefaultAutotuneExcursion = 200;  // counts
inline constexpr std::chrono::seconds kAutotuneTimeLimit{20};

struct AutotuneRequest {
    TuningMode mode = TuningMode::kPosition;
    std::int32_t excursion = kDefaultAutotuneExcursion;
    TuningRule rule = TuningRule::kNoOvershoot;
    bool apply = false;  // write the proposed gains at the end
    bool save = false;   // and SAVEUSERPARAMETERS after them
};

struct PidSettings {
    double kp = 0;
    double ki = 0;
    double kd = 0;
    std::int32_t antiResetWindup = 0;
};

enum class AutotunePhase { kReading, kProbing, kCheckingFound, kCheckingProposed, kRestoring, kDone };
std::string_view AutotunePhaseName(AutotunePhase phase);

struct AutotuneSample {
    MotorSample motor;  // seconds from the start of the experiment
    double desired;     // DESIRED
    AutotunePhase phase;
};

// One checking step: from `start` to `target` (counts in position mode, counts/s in
// speed mode), the samples from the moment the module took it.
struct StepCheck {
    double start = 0;
    double target = 0;
    std::vector<double> seconds;
    std::vector<double> values;    // POSITION, or SPEED in speed mode
    std::vector<double> commands;  // COMMAND
    StepFigures figures;
};

struct AutotuneProposal {
    MotorEstimate motor;
    std::int32_t loopTimeMs = 1;
    PidSettings found;
    PidSettings proposed;
    double crossover = 0;  // rad/s
};

struct AutotuneProgress {
    AutotunePhase phase;
    const AutotuneSample* sample;      // the new sample (valid during the call); null when only the phase changed
    const AutotuneProposal* proposal;  // null until the gains are designed
};
using AutotuneObserver = std::function<void(const AutotuneProgress&)>;

struct AutotuneOutcome {
    std::string error;         // why it stopped early; empty when it ran to its end
    bool interrupted = false;  // `stop` ended it
    bool restored = false;     // the module holds what was found (or the applied gains)
    std::optional<AutotuneProposal> proposal;
    std::optional<StepCheck> found;     // the step with the gains found
    std::optional<StepCheck> proposed;  // the step with the proposed gains
    bool applied = false;
    bool saved = false;
    double seconds = 0;  // how long the module was in the experiment's hands
    std::vector<AutotuneSample> samples;
};

AutotuneOutcome RunAutotune(Session& session, const AutotuneRequest& request, const AutotuneObserver& observer,
                            const std::atomic<bool>& stop);

}  // namespace kravent::cli
