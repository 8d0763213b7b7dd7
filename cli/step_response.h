// The figures by which a position step is judged, from samples of POSITION taken after
// the target was set at time 0.
#pragma once

#include <optional>
#include <vector>

namespace kravent::cli {

struct StepFigures {
    std::optional<double> riseSeconds;      // 10 % to 90 % of the step; none if 90 % was never reached
    double overshootPercent = 0;            // largest excursion past the target, in % of the step
    std::optional<double> settlingSeconds;  // from then on within 2 % of the step; none if never
    double finalError = 0;                  // target minus the last position, in counts
};

// `seconds` ascending, one position each; `start` the position before the step.
// The step must not be empty (target != start).
StepFigures JudgeStep(const std::vector<double>& seconds, const std::vector<double>& positions, double start,
                      double target);

}  // namespace kravent::cli
