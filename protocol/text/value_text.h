// Register values as text, both ways, for every program that shows or takes them.
// Each form is read back by ParseValue exactly as FormatText writes it:
//   byte, signed 32   -40, 0x10             (decimal, or hex with 0x)
//   fixed 16.16       1.5                   (the shortest text of the float)
//   bit set           0x00000005 (bit0,bit2)  also: hex words and bit names joined by
//                                           commas, '|' or spaces, "none", one integer
//   address           192.168.0.10
//   MAC               02:4b:52:00:00:01     (':' or '-' between the six hex bytes)
//   TYPE/VERSION      2.2                   (HIGH.LOW or HIGH/LOW, 16 bits each)
//   module name       AXIS-\xff             (text_escape.h; up to 16 bytes)
//   homing            nibble0=1 bit7=1 nibble2=0 nibble3=0 nibble4=0 nibble5=0
//                                           also: six numbers, or the register's word
// Ranges and names: register_forms.h. Wire bytes: protocol/value_codec.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/text/host_value.h"
#include "protocol/text/register_forms.h"

namespace kravent::text {

struct ParsedValue {
    std::optional<HostValue> value;
    std::string error;  // what is wrong when value is empty
};

// `text` as a value of register `index`, checked against its form and range, so that a
// value the module would hold differently from what was typed is refused.
ParsedValue ParseValue(std::size_t index, std::string_view text);

// A value's wire bytes (big-endian, WireSize of the encoding; the rest zero).
using WireBytes = std::array<std::uint8_t, 16>;
WireBytes ToWire(std::size_t index, const HostValue& value);
HostValue FromWire(std::size_t index, const std::uint8_t* bytes);
// ParseValue, then ToWire; nothing when the text is refused.
std::optional<WireBytes> ParseWireValue(std::size_t index, std::string_view text);

std::string FormatText(std::size_t index, const HostValue& value);

// The value as the module holds it once written: a 16.16 register keeps multiples of
// 1/65536 (the library cuts toward zero); every other checked value goes as it is.
HostValue AsSent(std::size_t index, const HostValue& value);

// An integer in decimal or 0x hex (with an optional sign) within [min, max], or nothing.
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max);
// The same for a signed 32-bit integer, spaces around it allowed.
std::optional<std::int32_t> ParseInt32(std::string_view text);
// Four dotted integers (each any int32: the library checks 0..255 of an address it is given).
bool ParseAddress(std::string_view text, std::int32_t out[4]);
// Four dotted decimal numbers of 0 to 255, nothing else.
std::optional<std::array<std::uint8_t, 4>> ParseDottedQuad(std::string_view text);
// Six two-digit hex bytes separated by ':' or '-'.
bool ParseMac(std::string_view text, std::int32_t out[6]);

// The shortest text that reads back as the same float ("nan", "inf" for those).
std::string FormatReal(float value);
std::string FormatMac(const std::int32_t bytes[6]);
std::string FormatAddress(const std::int32_t bytes[4]);
std::string FormatDottedQuad(const std::uint8_t* bytes);
// "0x0000000a", as bit sets show their word.
std::string HexWord(std::uint32_t word);

}  // namespace kravent::text
