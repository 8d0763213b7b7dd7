#include "cli/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace kravent::cli {

namespace {

constexpr double kWidth = 900;
constexpr double kLeft = 90;     // room for the value labels
constexpr double kRight = 30;
constexpr double kTop = 60;      // title
constexpr double kNoteLine = 18;
constexpr std::size_t kNoteChars = 110;  // about what the plot's width holds at 13 px
constexpr double kPanelHeight = 240;
constexpr double kPanelGap = 50;
constexpr double kBottom = 50;   // time labels
constexpr const char* kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b", "#17becf"};

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", std::fabs(value) < 1e-12 ? 0.0 : value);
    return text;
}

std::string Coordinate(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

// A 1, 2 or 5 times a power of ten that cuts [low, high] into about `wanted` steps.
double TickStep(double low, double high, int wanted) {
    const double raw = (high - low) / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

struct Range {
    double low = 0;
    double high = 1;
};

// The span of the values (and of the panel's levels and bands) with a margin, widened
// to whole ticks; never empty.
Range ValueRange(const std::vector<const ChartSeries*>& series, const std::vector<double>& marks) {
    double low = INFINITY;
    double high = -INFINITY;
    const auto take = [&](double v) {
        if (!std::isfinite(v)) return;
        low = std::min(low, v);
        high = std::max(high, v);
    };
    for (const ChartSeries* s : series)
        for (const double v : s->values) take(v);
    for (const double v : marks) take(v);
    if (!std::isfinite(low)) return {};
    if (high - low < 1e-9) {
        low -= 1;
        high += 1;
    }
    const double margin = (high - low) * 0.04;  // no line runs along the frame
    low -= margin;
    high += margin;
    const double step = TickStep(low, high, 5);
    return {std::floor(low / step) * step, std::ceil(high / step) * step};
}

class Svg {
public:
    void Line(double x1, double y1, double x2, double y2, const char* style) {
        out_ += "<line x1=\"" + Coordinate(x1) + "\" y1=\"" + Coordinate(y1) + "\" x2=\"" + Coordinate(x2) + "\" y2=\"" +
                Coordinate(y2) + "\" " + style + "/>\n";
    }
    void Text(double x, double y, const std::string& text, const char* attributes) {
        out_ += "<text x=\"" + Coordinate(x) + "\" y=\"" + Coordinate(y) + "\" " + attributes + ">" + Escape(text) + "</text>\n";
    }
    void Raw(const std::string& text) { out_ += text; }
    const std::string& text() const { return out_; }

private:
    std::string out_;
};

// The notes as lines that fit the chart's width, broken at spaces.
std::vector<std::string> NoteLines(const std::vector<std::string>& notes) {
    std::vector<std::string> lines;
    for (const std::string& note : notes) {
        std::string rest = note;
        while (rest.size() > kNoteChars) {
            std::size_t cut = rest.rfind(' ', kNoteChars);
            if (cut == std::string::npos || cut == 0) cut = kNoteChars;
            lines.push_back(rest.substr(0, cut));
            rest.erase(0, rest[cut] == ' ' ? cut + 1 : cut);
        }
        lines.push_back(rest);
    }
    return lines;
}

}  // namespace

std::vector<double> AxisTicks(double low, double high, const std::vector<double>& marked) {
    std::vector<double> ticks;
    if (!(high > low)) return ticks;
    const double step = TickStep(low, high, 5);
    // Whole multiples counted from zero, so that rounding never shifts them off 0.
    for (double k = std::ceil(low / step - 1e-9); k * step <= high + step * 1e-9; ++k)
        ticks.push_back(k == 0 ? 0.0 : k * step);
    for (const double m : marked) {
        if (m < low || m > high) continue;
        std::erase_if(ticks, [&](double t) { return std::fabs(t - m) < step * 0.5; });
        ticks.push_back(m);
    }
    std::sort(ticks.begin(), ticks.end());
    return ticks;
}

std::string RenderSvg(const Chart& chart) {
    const std::vector<std::string> notes = NoteLines(chart.notes);
    std::vector<std::string> units;
    for (const ChartSeries& s : chart.series)
        if (std::find(units.begin(), units.end(), s.unit) == units.end()) units.push_back(s.unit);
    double endSeconds = 0;
    for (const ChartSeries& s : chart.series)
        for (const double t : s.seconds) endSeconds = std::max(endSeconds, t);
    if (endSeconds <= 0) endSeconds = 1;
    const double timeStep = TickStep(0, endSeconds, 8);
    endSeconds = std::ceil(endSeconds / timeStep - 1e-9) * timeStep;

    const double top = kTop + kNoteLine * static_cast<double>(notes.size());
    const double panels = static_cast<double>(std::max<std::size_t>(units.size(), 1));
    const double height = top + panels * kPanelHeight + (panels - 1) * kPanelGap + kBottom;
    const double plotWidth = kWidth - kLeft - kRight;
    const auto x = [&](double seconds) { return kLeft + seconds / endSeconds * plotWidth; };

    Svg svg;
    svg.Raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
            Coordinate(kWidth) + "\" height=\"" + Coordinate(height) + "\" viewBox=\"0 0 " + Coordinate(kWidth) + " " +
            Coordinate(height) + "\" font-family=\"sans-serif\" font-size=\"13\">\n");
    svg.Raw("<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n");
    svg.Text(kLeft, 28, chart.title, "font-size=\"17\" font-weight=\"bold\"");
    for (std::size_t k = 0; k < notes.size(); ++k)
        svg.Text(kLeft, 28 + kNoteLine * static_cast<double>(k + 1), notes[k], "fill=\"#333\"");

    std::size_t colour = 0;
    for (std::size_t p = 0; p < units.size(); ++p) {
        const double panelTop = top + static_cast<double>(p) * (kPanelHeight + kPanelGap);
        const double panelBottom = panelTop + kPanelHeight;
        std::vector<const ChartSeries*> members;
        for (const ChartSeries& s : chart.series)
            if (s.unit == units[p]) members.push_back(&s);
        std::vector<double> marks;  // levels and band edges of this panel
        std::vector<double> marked;  // the levels, which become ticks of their own
        for (const ChartLevel& level : chart.levels)
            if (level.unit == units[p]) {
                marks.push_back(level.value);
                marked.push_back(level.value);
            }
        for (const ChartBand& band : chart.bands)
            if (band.unit == units[p]) marks.insert(marks.end(), {band.low, band.high});
        const Range range = ValueRange(members, marks);
        const auto y = [&](double v) { return panelBottom - (v - range.low) / (range.high - range.low) * kPanelHeight; };

        // Bands under everything else, then the grid, the value axis and its unit.
        for (const ChartBand& band : chart.bands) {
            if (band.unit != units[p]) continue;
            const double bandTop = y(std::min(band.high, range.high));
            const double bandBottom = y(std::max(band.low, range.low));
            svg.Raw("<rect data-band=\"" + Escape(band.label) + "\" x=\"" + Coordinate(kLeft) + "\" y=\"" +
                    Coordinate(bandTop) + "\" width=\"" + Coordinate(plotWidth) + "\" height=\"" +
                    Coordinate(std::max(0.0, bandBottom - bandTop)) + "\" fill=\"#2ca02c\" fill-opacity=\"0.12\"/>\n");
            svg.Text(kLeft + 6, bandTop - 4, band.label, "fill=\"#2a7a2a\" font-size=\"11\"");
        }
        for (const double v : AxisTicks(range.low, range.high, marked)) {
            svg.Line(kLeft, y(v), kLeft + plotWidth, y(v), "stroke=\"#e4e4e4\"");
            svg.Text(kLeft - 8, y(v) + 4, Number(v), "text-anchor=\"end\"");
        }
        for (double t = 0; t <= endSeconds + timeStep * 1e-6; t += timeStep) {
            svg.Line(x(t), panelTop, x(t), panelBottom, "stroke=\"#e4e4e4\"");
            svg.Text(x(t), panelBottom + 18, Number(t), "text-anchor=\"middle\"");
        }
        svg.Raw("<rect x=\"" + Coordinate(kLeft) + "\" y=\"" + Coordinate(panelTop) + "\" width=\"" + Coordinate(plotWidth) +
                "\" height=\"" + Coordinate(kPanelHeight) + "\" fill=\"none\" stroke=\"#555\"/>\n");
        svg.Text(22, panelTop + kPanelHeight / 2, units[p],
                 ("text-anchor=\"middle\" transform=\"rotate(-90 22 " + Coordinate(panelTop + kPanelHeight / 2) + ")\"").c_str());
        svg.Text(kLeft + plotWidth / 2, panelBottom + 36, "time [s]", "text-anchor=\"middle\"");

        // One line per series, and its legend entry.
        for (std::size_t m = 0; m < members.size(); ++m) {
            const ChartSeries& s = *members[m];
            const char* stroke = kColours[colour++ % std::size(kColours)];
            std::string points;
            for (std::size_t i = 0; i < s.values.size() && i < s.seconds.size(); ++i)
                points += (points.empty() ? "" : " ") + Coordinate(x(s.seconds[i])) + "," + Coordinate(y(s.values[i]));
            svg.Raw("<polyline data-series=\"" + Escape(s.name) + "\" fill=\"none\" stroke=\"" + stroke +
                    "\" stroke-width=\"2\" points=\"" + points + "\"/>\n");
            const double legendY = panelTop + 18 + 18 * static_cast<double>(m);
            const double legendX = kLeft + plotWidth - 170;
            svg.Line(legendX, legendY - 4, legendX + 24, legendY - 4,
                     (std::string("stroke=\"") + stroke + "\" stroke-width=\"3\"").c_str());
            svg.Text(legendX + 30, legendY, s.unit == s.name ? s.name : s.name + " [" + s.unit + "]", "");
        }
        for (const ChartLevel& level : chart.levels) {
            if (level.unit != units[p] || level.value < range.low || level.value > range.high) continue;
            svg.Raw("<line data-level=\"" + Escape(level.label) + "\" x1=\"" + Coordinate(kLeft) + "\" y1=\"" +
                    Coordinate(y(level.value)) + "\" x2=\"" + Coordinate(kLeft + plotWidth) + "\" y2=\"" +
                    Coordinate(y(level.value)) + "\" stroke=\"#000\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\"/>\n");
            svg.Text(kLeft + 6, y(level.value) + 14, level.label, "font-size=\"11\"");  // clear of the legend
        }
    }
    svg.Raw("</svg>\n");
    return svg.text();
}

bool WriteSvg(const Chart& chart, const std::string& path, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << RenderSvg(chart);
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace kravent::cli
