// Plain text tables: columns as wide as their widest cell, two spaces apart.
#pragma once

#include <string>
#include <vector>

namespace kravent::cli {

using Row = std::vector<std::string>;

std::string RenderTable(const Row& header, const std::vector<Row>& rows);

// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace kravent::cli
