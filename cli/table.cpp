#include "cli/table.h"

#include <algorithm>

namespace kravent::cli {

std::string RenderTable(const Row& header, const std::vector<Row>& rows) {
    std::vector<std::size_t> widths(header.size(), 0);
    const auto measure = [&](const Row& row) {
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    };
    measure(header);
    for (const Row& row : rows) measure(row);
    std::string out;
    const auto line = [&](const Row& row) {
        std::string text;
        for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c) {
            text += row[c];
            if (c + 1 < row.size()) text += std::string(widths[c] - row[c].size() + 2, ' ');
        }
        out += text + "\n";
    };
    line(header);
    for (const Row& row : rows) line(row);
    return out;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) return text;
    std::string out = "\"";
    for (const char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace kravent::cli
