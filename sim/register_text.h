// Register values written as text, for options and configuration files:
//   byte, signed 32, bit set, homing options: an integer (decimal, or 0x hex)
//   fixed 16.16: a decimal number (1.5)
//   two halves (TYPE, VERSION): HIGH.LOW (2.2)
//   IPADDRESS, SUBNETMASK: dotted quad (192.168.1.10)
//   ETHERNETMAC: six hex bytes separated by ':' or '-' (02:4B:52:00:00:01)
//   MODULENAME: up to 16 characters, padded with zero bytes
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/register_map.h"
#include "sim/register_store.h"

namespace kravent::sim {

// The wire bytes of `text` in the register's encoding, or nothing when the text
// does not fit the encoding or the register is a command.
std::optional<WireValue> ParseRegisterValue(const RegisterInfo& reg, std::string_view text);

// The parts of a dotted quad, or nothing.
std::optional<std::array<std::uint8_t, 4>> ParseDottedQuad(std::string_view text);
// "192.168.1.10" for the four bytes.
std::string FormatDottedQuad(const std::uint8_t* bytes);

// An integer in decimal or 0x hex within [min, max], or nothing.
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max);

}  // namespace kravent::sim
