#include "cli/step_chart.h"

#include <cmath>
#include <cstdio>

namespace kravent::cli {

std::string FixedText(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string SecondsText(const std::optional<double>& seconds) {
    return seconds ? FixedText(*seconds, 3) + " s" : "not reached";
}

namespace {

std::string JsonSeconds(const std::optional<double>& seconds) { return seconds ? FixedText(*seconds, 4) : "null"; }

// The shortest decimal text of a sample (counts are whole; times keep microseconds).
std::string Sample(double value, int decimals) {
    if (!std::isfinite(value)) return "";
    std::string text = FixedText(value, decimals);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text == "-0" ? "0" : text;
}

std::string JsonColumn(const std::vector<double>& values, int decimals) {
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string text = Sample(values[i], decimals);
        out += (i ? "," : "") + (text.empty() ? std::string("null") : text);
    }
    return out + "]";
}

}  // namespace

StepFigures JudgeRecording(const StepRecording& step) {
    return JudgeStep(step.seconds, step.position, step.start, step.target);
}

std::string StepFiguresText(const StepFigures& figures) {
    return "rise time " + SecondsText(figures.riseSeconds) + " (10 % to 90 %), overshoot " +
           FixedText(figures.overshootPercent, 1) + " %, settling time " + SecondsText(figures.settlingSeconds) +
           " (within 2 %), final error " + FixedText(figures.finalError, 0) + " counts";
}

void AddStepFigures(JsonObject& object, const StepFigures& figures) {
    object.Add("rise_s", JsonSeconds(figures.riseSeconds))
        .Add("overshoot_percent", FixedText(figures.overshootPercent, 2))
        .Add("settling_s", JsonSeconds(figures.settlingSeconds))
        .Add("final_error", FixedText(figures.finalError, 0));
}

Chart StepChart(const StepRecording& step, const StepFigures& figures) {
    // The chart starts at the step, where the motor stood.
    std::vector<double> seconds = step.seconds;
    std::vector<double> position = step.position;
    std::vector<double> desired = step.desired;
    std::vector<double> speed = step.speed;
    seconds.insert(seconds.begin(), 0.0);
    position.insert(position.begin(), step.start);
    desired.insert(desired.begin(), step.start);
    speed.insert(speed.begin(), 0.0);

    Chart chart;
    chart.series = {{"POSITION", "counts", seconds, position},
                    {"DESIRED", "counts", seconds, desired},  // a position in position mode
                    {"SPEED", "counts/s", seconds, speed}};
    chart.title = "Step of " + step.address + " from " + FixedText(step.start, 0) + " to " + std::to_string(step.target) +
                  " counts";
    chart.notes = {StepFiguresText(figures), step.tuning + (step.tuning.empty() ? "" : "; ") + "polled every " +
                                                 std::to_string(step.periodMs) + " ms"};
    const double band = std::fabs(step.target - step.start) * kSettlingShare;
    chart.levels.push_back({"target " + std::to_string(step.target), "counts", static_cast<double>(step.target)});
    chart.bands.push_back({"2 % band", "counts", step.target - band, step.target + band});
    return chart;
}

std::string StepCsv(const StepRecording& step) {
    std::string out = "time_s,POSITION,DESIRED,SPEED\n";
    const auto at = [](const std::vector<double>& column, std::size_t i) {
        return i < column.size() ? Sample(column[i], 0) : std::string();
    };
    for (std::size_t i = 0; i < step.seconds.size(); ++i)
        out += Sample(step.seconds[i], 6) + "," + at(step.position, i) + "," + at(step.desired, i) + "," +
               at(step.speed, i) + "\n";
    return out;
}

std::string StepSamplesJson(const StepRecording& step) {
    return JsonObject()
        .Add("time_s", JsonColumn(step.seconds, 6))
        .Add("POSITION", JsonColumn(step.position, 0))
        .Add("DESIRED", JsonColumn(step.desired, 0))
        .Add("SPEED", JsonColumn(step.speed, 0))
        .Text();
}

}  // namespace kravent::cli
