#include "bench/report.h"

#include <algorithm>
#include <cmath>

namespace kravent::bench {

namespace {

std::string Format(const std::optional<double>& value) {
    if (!value) return "-";
    char text[32];
    const double v = *value;
    const double magnitude = std::fabs(v);
    if (magnitude >= 1000 || v == std::floor(v)) std::snprintf(text, sizeof text, "%.0f", v);
    else if (magnitude >= 10) std::snprintf(text, sizeof text, "%.1f", v);
    else if (magnitude >= 0.01) std::snprintf(text, sizeof text, "%.3f", v);
    else std::snprintf(text, sizeof text, "%.2g", v);
    return text;
}

std::string JsonNumber(const std::optional<double>& value) {
    if (!value || !std::isfinite(*value)) return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", *value);
    return text;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void Report::Add(const std::string& section, const std::string& name, const std::string& unit, int round,
                 double value) {
    auto row = std::find_if(rows_.begin(), rows_.end(),
                            [&](const Row& r) { return r.section == section && r.name == name; });
    if (row == rows_.end()) {
        rows_.push_back({section, name, unit, std::vector<std::optional<double>>(static_cast<std::size_t>(rounds_))});
        row = rows_.end() - 1;
    }
    row->values.at(static_cast<std::size_t>(round)) = value;
}

void Report::Goal(const std::string& text, int round, bool met) {
    auto goal = std::find_if(goals_.begin(), goals_.end(), [&](const GoalRow& g) { return g.text == text; });
    if (goal == goals_.end()) {
        goals_.push_back({text, std::vector<std::optional<bool>>(static_cast<std::size_t>(rounds_))});
        goal = goals_.end() - 1;
    }
    goal->met.at(static_cast<std::size_t>(round)) = met;
}

void Report::PrintTable(std::FILE* out) const {
    std::fprintf(out, "%-58s %-6s", "figure", "unit");
    for (int r = 0; r < rounds_; ++r) std::fprintf(out, " %10s%-2d", "run ", r + 1);
    std::fputc('\n', out);
    const std::string* section = nullptr;
    for (const Row& row : rows_) {
        if (section == nullptr || *section != row.section) {
            std::fprintf(out, "%s\n", row.section.c_str());
            section = &row.section;
        }
        std::fprintf(out, "  %-56s %-6s", row.name.c_str(), row.unit.c_str());
        for (const auto& v : row.values) std::fprintf(out, " %12s", Format(v).c_str());
        std::fputc('\n', out);
    }
    if (!goals_.empty()) std::fprintf(out, "goals (measured, not gates)\n");
    for (const GoalRow& goal : goals_) {
        std::fprintf(out, "  %-63s", goal.text.c_str());
        for (const auto& met : goal.met) std::fprintf(out, " %12s", !met ? "-" : *met ? "met" : "MISSED");
        std::fputc('\n', out);
    }
    for (const std::string& e : errors_) std::fprintf(out, "error: %s\n", e.c_str());
}

bool Report::WriteJson(const std::string& path, const std::string& context) const {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) return false;
    std::fprintf(f, "{\n  \"context\": %s,\n  \"rounds\": %d,\n  \"figures\": [", context.c_str(), rounds_);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        std::fprintf(f, "%s\n    {\"section\": %s, \"name\": %s, \"unit\": %s, \"values\": [", i ? "," : "",
                     JsonString(row.section).c_str(), JsonString(row.name).c_str(), JsonString(row.unit).c_str());
        for (std::size_t r = 0; r < row.values.size(); ++r)
            std::fprintf(f, "%s%s", r ? ", " : "", JsonNumber(row.values[r]).c_str());
        std::fprintf(f, "]}");
    }
    std::fprintf(f, "\n  ],\n  \"goals\": [");
    for (std::size_t i = 0; i < goals_.size(); ++i) {
        std::fprintf(f, "%s\n    {\"goal\": %s, \"met\": [", i ? "," : "", JsonString(goals_[i].text).c_str());
        for (std::size_t r = 0; r < goals_[i].met.size(); ++r) {
            const auto& met = goals_[i].met[r];
            std::fprintf(f, "%s%s", r ? ", " : "", !met ? "null" : *met ? "true" : "false");
        }
        std::fprintf(f, "]}");
    }
    std::fprintf(f, "\n  ],\n  \"errors\": [");
    for (std::size_t i = 0; i < errors_.size(); ++i)
        std::fprintf(f, "%s\n    %s", i ? "," : "", JsonString(errors_[i]).c_str());
    std::fprintf(f, "\n  ]\n}\n");
    return std::fclose(f) == 0;
}

}  // namespace kravent::bench
