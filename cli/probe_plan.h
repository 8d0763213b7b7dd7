// The excitation from which the motor is identified: steps of half the allowed
// excursion, out from where the motor stood and back, each under a proportional
// controller alone (KI and KD 0) whose command at the step starts gentle and doubles
// until the motor really moves (Coulomb friction holds it below some command).
// Pure: it only decides from the samples it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/motor_identification.h"

namespace kravent::cli {

struct ProbeStep {
    double kp;
    std::int32_t target;  // INPUT
};

class ProbePlan {
public:
    static constexpr double kFirstCommand = 250.0;   // command units at the step
    static constexpr double kLargestCommand = 4000.0;
    static constexpr double kMovedShare = 0.3;       // of the step, for a run to count as motion
    static constexpr double kLongestRunSeconds = 0.8;
    static constexpr double kShortestRunSeconds = 0.15;
    static constexpr double kRestSeconds = 0.05;     // no motion this long ends a run

    ProbePlan(std::int32_t start, std::int32_t excursion);

    // The next step to make, or nothing once both directions moved (or the command
    // cannot grow any more; Enough() tells which).
    std::optional<ProbeStep> Next();
    // The samples of the step Next() gave, from its first answer on.
    void Record(std::vector<MotorSample> run);
    bool Enough() const { return movedOut_ && movedBack_; }
    const std::vector<std::vector<MotorSample>>& Runs() const { return runs_; }
    std::int32_t StepCounts() const { return step_; }

    // Whether a run begun at `begin` seconds may end with what it holds.
    static bool RunEnded(const std::vector<MotorSample>& run, double begin);

private:
    std::int32_t start_;
    std::int32_t step_;
    int level_ = 0;
    bool out_ = true;  // the next step goes out (else back to the start)
    bool movedOut_ = false;
    bool movedBack_ = false;
    std::vector<std::vector<MotorSample>> runs_;
};

// The profile of the checking steps: no quicker than what the probing's largest command
// `command` gave the motor (its acceleration from rest, K u / tau, and its steady speed,
// K u), so that no gain's answer to a jumping target can draw more current than the
// probing did. Each is at most the module's own (`acceleration`, `topSpeed`).
struct CheckProfile {
    std::int32_t acceleration;
    std::int32_t topSpeed;
};
CheckProfile GentleProfile(const MotorEstimate& motor, double command, std::int32_t acceleration, std::int32_t topSpeed);

// Why the experiment must stop now, or nothing: a position beyond `excursion` counts of
// `start`, or an over-current or under-voltage warning (WARNINGS bits 2 and 3).
std::optional<std::string> SafetyStop(double position, std::uint32_t warnings, std::int32_t start, std::int32_t excursion);

}  // namespace kravent::cli
