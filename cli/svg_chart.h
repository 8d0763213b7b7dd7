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

struct Chart {
    std::string title;
    std::vector<std::string> notes;  // lines under the title (figures of the run)
    std::vector<ChartSeries> series;
};

std::string RenderSvg(const Chart& chart);

// Writes `chart` to `path`; false with `error` when the file cannot be written.
bool WriteSvg(const Chart& chart, const std::string& path, std::string& error);

}  // namespace kravent::cli
