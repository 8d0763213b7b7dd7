#include "cli/probe_plan.h"

#include <algorithm>
#include <cmath>

namespace kravent::cli {

namespace {
constexpr std::uint32_t kOverCurrent = 1u << 2;
constexpr std::uint32_t kUnderVoltage = 1u << 3;
}  // namespace

ProbePlan::ProbePlan(std::int32_t start, std::int32_t excursion) : start_(start), step_(std::max(1, excursion / 2)) {}

std::optional<ProbeStep> ProbePlan::Next() {
    if (Enough()) return std::nullopt;
    const double command = kFirstCommand * std::pow(2.0, level_);
    if (command > kLargestCommand) return std::nullopt;
    return ProbeStep{command / step_, out_ ? start_ + step_ : start_};
}

void ProbePlan::Record(std::vector<MotorSample> run) {
    if (run.size() >= 2) {
        const bool moved = std::fabs(run.back().position - run.front().position) >= kMovedShare * step_;
        (out_ ? movedOut_ : movedBack_) = moved;
    }
    runs_.push_back(std::move(run));
    // After a pair that did not both move, the next pair pushes twice as hard.
    if (!out_ && !Enough()) ++level_;
    out_ = !out_;
}

bool ProbePlan::RunEnded(const std::vector<MotorSample>& run, double begin) {
    if (run.empty()) return false;
    const double elapsed = run.back().seconds - begin;
    if (elapsed >= kLongestRunSeconds) return true;
    if (elapsed < kShortestRunSeconds) return false;
    for (auto it = run.rbegin(); it != run.rend(); ++it) {
        if (it->speed != 0 || it->position != run.back().position) return false;
        if (run.back().seconds - it->seconds >= kRestSeconds) return true;
    }
    return false;
}

CheckProfile GentleProfile(const MotorEstimate& motor, double command, std::int32_t acceleration, std::int32_t topSpeed) {
    const auto within = [](double value, std::int32_t limit) {
        return static_cast<std::int32_t>(std::clamp(std::floor(value), 1.0, static_cast<double>(std::max(1, limit))));
    };
    return {within(motor.gain * command / motor.timeConstant, acceleration), within(motor.gain * command, topSpeed)};
}

std::optional<std::string> SafetyStop(double position, std::uint32_t warnings, std::int32_t start, std::int32_t excursion) {
    if (warnings & kOverCurrent) return "over-current warning";
    if (warnings & kUnderVoltage) return "under-voltage warning";
    if (std::fabs(position - start) > excursion)
        return "the motor left the excursion (" + std::to_string(static_cast<long long>(position)) + " counts, more than " +
               std::to_string(excursion) + " from " + std::to_string(start) + ")";
    return std::nullopt;
}

}  // namespace kravent::cli
