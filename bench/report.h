// The figures of every round side by side: a table on a stream and a JSON file.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace kravent::bench {

class Report {
public:
    explicit Report(int rounds) : rounds_(rounds) {}

    // Records the value of a figure for round `round` (from 0); the first record of
    // a figure fixes its place in the table.
    void Add(const std::string& section, const std::string& name, const std::string& unit, int round, double value);
    // Records whether a goal was met in `round`.
    void Goal(const std::string& text, int round, bool met);
    void Error(const std::string& text) { errors_.push_back(text); }
    bool HasErrors() const { return !errors_.empty(); }

    void PrintTable(std::FILE* out) const;
    // `context` is a JSON object with what describes the machine and the run.
    bool WriteJson(const std::string& path, const std::string& context) const;

private:
    struct Row {
        std::string section;
        std::string name;
        std::string unit;
        std::vector<std::optional<double>> values;
    };
    struct GoalRow {
        std::string text;
        std::vector<std::optional<bool>> met;
    };

    int rounds_;
    std::vector<Row> rows_;
    std::vector<GoalRow> goals_;
    std::vector<std::string> errors_;
};

// `text` as a JSON string literal.
std::string JsonString(const std::string& text);

}  // namespace kravent::bench
