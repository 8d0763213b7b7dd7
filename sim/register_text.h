// Register values written as text, for options and configuration files: the forms of
// the value-text codec (protocol/text/value_text.h), as wire bytes for the store.
#pragma once

#include <optional>
#include <string_view>
#include <type_traits>

#include "protocol/register_map.h"
#include "protocol/text/value_text.h"
#include "sim/register_store.h"

namespace kravent::sim {

using text::FormatDottedQuad;
using text::ParseDottedQuad;
using text::ParseInteger;

static_assert(std::is_same_v<WireValue, text::WireBytes>);

// The wire bytes of `text` as a value of `reg` (an entry of kRegisters), or nothing when
// the text does not fit the register's form and range or the register is a command.
inline std::optional<WireValue> ParseRegisterValue(const RegisterInfo& reg, std::string_view text) {
    return text::ParseWireValue(static_cast<std::size_t>(&reg - kRegisters.data()), text);
}

}  // namespace kravent::sim
