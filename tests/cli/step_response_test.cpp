// The figures of a position step, from samples of a known curve.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "cli/step_chart.h"
#include "cli/step_response.h"
#include "cli/svg_chart.h"

namespace kravent::cli {
namespace {

TEST(CliStepFigures, RiseOvershootSettlingAndFinalError) {
    // A damped oscillation from 0 to 1000 sampled every 10 ms: x = 1000 (1 - e^(-3t) cos(6t)).
    std::vector<double> seconds;
    std::vector<double> positions;
    for (int i = 1; i <= 300; ++i) {
        const double t = i * 0.01;
        seconds.push_back(t);
        positions.push_back(1000 * (1 - std::exp(-3 * t) * std::cos(6 * t)));
    }
    const StepFigures up = JudgeStep(seconds, positions, 0, 1000);
    ASSERT_TRUE(up.riseSeconds && up.settlingSeconds);
    EXPECT_NEAR(*up.riseSeconds, 0.1988, 0.001);  // 10 % at 0.0298 s, 90 % at 0.2285 s, between samples
    EXPECT_NEAR(up.overshootPercent, 23.44, 0.01);   // the first peak, 1234.4 at 0.45 s
    EXPECT_NEAR(*up.settlingSeconds, 1.19, 1e-9);    // the first sample after the last one outside 980..1020
    EXPECT_NEAR(up.finalError, 0, 1);

    // The same curve downwards; one that stops short never settles and keeps its error.
    std::vector<double> down;
    for (const double p : positions) down.push_back(500 - p);
    EXPECT_NEAR(JudgeStep(seconds, down, 500, -500).overshootPercent, up.overshootPercent, 1e-9);
    const StepFigures shortStop = JudgeStep({0.1, 0.2, 0.3}, {50, 800, 850}, 0, 1000);
    EXPECT_FALSE(shortStop.riseSeconds);
    EXPECT_FALSE(shortStop.settlingSeconds);
    EXPECT_EQ(shortStop.finalError, 150);
}

// A note longer than the chart is wide is broken at spaces into lines that fit, and
// the chart grows by those lines instead of cutting them at its right edge.
TEST(CliStepChart, LongNotesWrapAtSpacesWithinTheWidth) {
    std::string note;
    for (int i = 0; i < 40; ++i) note += (i > 0 ? " word" : "word") + std::to_string(i);
    Chart chart;
    chart.title = "step";
    chart.notes = {note};
    const std::string svg = RenderSvg(chart);
    std::string words;
    int lines = 0;
    for (std::size_t at = svg.find("fill=\"#333\">"); at != std::string::npos; at = svg.find("fill=\"#333\">", at + 1)) {
        const std::size_t begin = svg.find('>', at) + 1;
        const std::string line = svg.substr(begin, svg.find('<', begin) - begin);
        EXPECT_LE(line.size(), 110u) << line;
        words += (words.empty() ? "" : " ") + line;
        ++lines;
    }
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(words, note) << "every word once, in order";
}

// Value ticks are round multiples of one step counted from zero, so 0 is one of them,
// and a target between round values becomes a tick of its own.
TEST(CliStepChart, TicksIncludeZeroAndTheTarget) {
    const std::vector<double> ticks = AxisTicks(-440, 1760);
    EXPECT_NE(std::find(ticks.begin(), ticks.end(), 0.0), ticks.end());
    for (const double t : ticks) EXPECT_EQ(std::fmod(t, 500.0), 0.0) << t;
    const std::vector<double> marked = AxisTicks(-440, 1760, {1234});
    EXPECT_NE(std::find(marked.begin(), marked.end(), 1234.0), marked.end());
    EXPECT_EQ(std::find(marked.begin(), marked.end(), 1000.0), marked.end()) << "too close to the target";
    EXPECT_TRUE(std::is_sorted(marked.begin(), marked.end()));
}

// A step's chart marks the target and the 2 % band in the counts panel; its CSV holds
// one line per sample.
TEST(CliStepChart, TargetLineBandAndSamples) {
    StepRecording step;
    step.address = "127.0.0.1";
    step.start = 0;
    step.target = 1234;
    step.periodMs = 10;
    step.seconds = {0.01, 0.02, 0.03};
    step.position = {100, 900, 1234};
    step.desired = {300, 1234, 1234};
    step.speed = {10000, 20000, 0};
    const std::string svg = RenderSvg(StepChart(step, JudgeRecording(step)));
    EXPECT_NE(svg.find("data-level=\"target 1234\""), std::string::npos);
    EXPECT_NE(svg.find("data-band=\"2 % band\""), std::string::npos);
    EXPECT_NE(svg.find(">1234</text>"), std::string::npos) << "the target is a tick";
    EXPECT_EQ(StepCsv(step), "time_s,POSITION,DESIRED,SPEED\n0.01,100,300,10000\n0.02,900,1234,20000\n0.03,1234,1234,0\n");
}

}  // namespace
}  // namespace kravent::cli
