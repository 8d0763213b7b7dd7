// What a recorded position step becomes for people: its figures as a line of text and
// as JSON fields, its chart (with the target and the settling band) and its samples
// as CSV. `kravent step` and the tuning page share these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/json.h"
#include "cli/step_response.h"
#include "cli/svg_chart.h"

namespace kravent::cli {

struct StepRecording {
    std::string address;  // the module
    double start = 0;     // where the motor stood, in counts
    std::int32_t target = 0;
    int periodMs = 0;
    std::string tuning;   // "KP 1.5, KI 0, ..." as it was when the step began
    // One row per poll answer after the step was set, `seconds` from then on.
    std::vector<double> seconds;
    std::vector<double> position;
    std::vector<double> desired;
    std::vector<double> speed;
};

// The settling band around the target, as a share of the step.
inline constexpr double kSettlingShare = 0.02;

StepFigures JudgeRecording(const StepRecording& step);

// `value` with `decimals` digits after the point.
std::string FixedText(double value, int decimals);
// Seconds with three decimals and the unit, or "not reached".
std::string SecondsText(const std::optional<double>& seconds);
// "rise time 0.412 s (10 % to 90 %), overshoot 3.1 %, ...".
std::string StepFiguresText(const StepFigures& figures);
// The figures as fields of a JSON object (rise_s, overshoot_percent, settling_s, final_error).
void AddStepFigures(JsonObject& object, const StepFigures& figures);
// POSITION, DESIRED and SPEED from the step on, with the target line and the 2 % band.
Chart StepChart(const StepRecording& step, const StepFigures& figures);
// time_s,POSITION,DESIRED,SPEED: a header line and one line per sample.
std::string StepCsv(const StepRecording& step);
// The samples as a JSON object of columns {"time_s":[...],"POSITION":[...],...}.
std::string StepSamplesJson(const StepRecording& step);

}  // namespace kravent::cli
