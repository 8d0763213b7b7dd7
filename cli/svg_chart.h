// Charts of registers over time as SVG text: one panel per unit, stacked on one time
// axis, each with its value axis labelled in its unit, a legend and one line per series.
#pragma once

#include <string>
#include <vector>

namespace kravent::cli {

struct ChartSeries {
    std::string name;  // the register, shown in the legend
    std::string unit;  // series of one unit share a panel
    std::vector<double> seconds;
    std::vector<double> values;
};

// A level marked across the panel of its unit (a target), labelled at the right.
struct ChartLevel {
    std::string label;
    std::string unit;
    double value = 0;
};

// A shaded band of values in the panel of its unit (a tolerance around a target).
struct ChartBand {
    std::string label;
    std::string unit;
    double low = 0;
    double high = 0;
};

struct Chart {
    std::string title;
    std::vector<std::string> notes;  // lines under the title (figures of the run)
    std::vector<ChartSeries> series;
    std::vector<ChartLevel> levels;
    std::vector<ChartBand> bands;
};

// The value ticks of an axis that spans [low, high]: round multiples of one step (so
// 0 is one of them whenever it is in the span), and each of `marked` inside the span
// in place of a round tick too close to it.
std::vector<double> AxisTicks(double low, double high, const std::vector<double>& marked = {});

std::string RenderSvg(const Chart& chart);

// Writes `chart` to `path`; false with `error` when the file cannot be written.
bool WriteSvg(const Chart& chart, const std::string& path, std::string& error);

}  // namespace kravent::cli
