// Register values as the tool shows and takes them: the text forms of the value-text
// codec (protocol/text/value_text.h), and one JSON value per kind:
//   fixed 16.16   1.5                      bit set  {"word":"0x00000005","bits":["bit0","bit2"]}
//   address, MAC, TYPE/VERSION, module name: the text form as a JSON string
//   homing        {"nibble0":1,"bit7":true,"nibble2":0,...}
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "cli/host_value.h"
#include "protocol/text/value_text.h"

namespace kravent::cli {

using text::AsSent;
using text::FormatAddress;
using text::FormatMac;
using text::FormatReal;
using text::FormatText;
using text::ParseAddress;
using text::ParsedValue;
using text::ParseInt32;
using text::ParseMac;
using text::ParseValue;

std::string FormatJson(std::size_t index, const HostValue& value);

// A register's value as a number for a chart: integers, reals, a bit set as its word;
// nothing for the other forms.
std::optional<double> NumericValue(std::size_t index, const HostValue& value);
// The panel a register is drawn in: its unit, else a name of its own, so that registers
// without one (DESIRED, INPUT, COMMAND, ...) never share an axis that means nothing.
std::string_view ChartUnitOf(std::size_t index);

}  // namespace kravent::cli
