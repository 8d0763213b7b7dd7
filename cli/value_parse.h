// Register values typed on the command line, parsed into their host form and checked
// against the register's form and range (register_catalogue.h), so that a value the
// module would hold differently from what was typed is refused before anything is sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/host_value.h"

namespace kravent::cli {

struct ParsedValue {
    std::optional<HostValue> value;
    std::string error;  // what is wrong when value is empty
};

// `text` as a value of register `index` (the forms of value_format.h; FormHelp).
ParsedValue ParseValue(std::size_t index, std::string_view text);

// A signed 32-bit integer in decimal, or in hex with 0x.
std::optional<std::int32_t> ParseInt32(std::string_view text);
// Four dotted integers (each any int32: the library checks 0..255 of an address it is given).
bool ParseAddress(std::string_view text, std::int32_t out[4]);
// Six hex bytes separated by ':' or '-'.
bool ParseMac(std::string_view text, std::int32_t out[6]);

}  // namespace kravent::cli
