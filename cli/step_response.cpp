#include "cli/step_response.h"

#include <algorithm>
#include <cmath>

namespace kravent::cli {

namespace {

constexpr double kSettlingBand = 0.02;

// When the travelled fraction first reaches `level`, between two samples by a straight line.
std::optional<double> FirstCrossing(const std::vector<double>& seconds, const std::vector<double>& fraction, double level) {
    for (std::size_t i = 0; i < fraction.size(); ++i) {
        if (fraction[i] < level) continue;
        if (i == 0) return seconds[0];
        const double share = (level - fraction[i - 1]) / (fraction[i] - fraction[i - 1]);
        return seconds[i - 1] + share * (seconds[i] - seconds[i - 1]);
    }
    return std::nullopt;
}

}  // namespace

StepFigures JudgeStep(const std::vector<double>& seconds, const std::vector<double>& positions, double start,
                      double target) {
    StepFigures figures;
    if (positions.empty()) return figures;
    const double step = target - start;
    std::vector<double> fraction;  // 0 at the start, 1 at the target, in either direction
    for (const double p : positions) fraction.push_back((p - start) / step);

    const auto rise10 = FirstCrossing(seconds, fraction, 0.1);
    const auto rise90 = FirstCrossing(seconds, fraction, 0.9);
    if (rise10 && rise90) figures.riseSeconds = *rise90 - *rise10;
    figures.overshootPercent = std::max(0.0, (*std::max_element(fraction.begin(), fraction.end()) - 1.0) * 100.0);

    // The last sample outside the band ends the unsettled time; inside it to the end is settled.
    std::size_t settledFrom = 0;
    for (std::size_t i = 0; i < fraction.size(); ++i)
        if (std::fabs(fraction[i] - 1.0) > kSettlingBand) settledFrom = i + 1;
    if (settledFrom < fraction.size()) figures.settlingSeconds = seconds[settledFrom];
    figures.finalError = target - positions.back();
    return figures;
}

}  // namespace kravent::cli
