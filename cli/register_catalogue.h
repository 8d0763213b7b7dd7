// The registers as the tool names and shows them: lookup by name in any case, the
// record place of each register's fields in RegisterValues, and the bit names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/register_layout.h"
#include "protocol/register_map.h"

namespace kravent::cli {

// ASCII comparison without regard to case.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// Index into kRegisters of `name` (upper, lower or mixed case).
std::optional<std::size_t> FindRegister(std::string_view name);

inline const RegisterInfo& Register(std::size_t index) { return kRegisters[index]; }

// The name of bit `bit` of a bit-set register: the ones the modules define, else "bitN".
std::string BitName(std::size_t index, int bit);
// The bit of `name` in a bit-set register ("bit5", or a defined name; any case), or -1.
int BitByName(std::size_t index, std::string_view name);

// How a value of the encoding is written on the command line.
std::string_view FormHelp(Encoding encoding);

// What a 16.16 register can carry: the float times 65536 must fit 32 signed bits.
inline constexpr double kFixedMin = -32768.0;
inline constexpr double kFixedMax = 32767.99998;

struct IntegerRange {
    std::int64_t min;
    std::int64_t max;
};
// The values a write of an integer or byte register may carry: a byte register keeps
// only 8 bits, REGULATIONMODE knows modes 0 to 5.
IntegerRange WritableRange(std::size_t index);
// "0 to 255", "-32768 to 32767.99998", ...; empty for registers without a number range.
std::string RangeHelp(std::size_t index);
// The unit of a register's value ("V", "counts/s", ...), or empty.
std::string_view UnitOf(std::size_t index);

// The register list of --help: name, access (read, poll, write, command) and form.
std::string RegistersHelp();

// The commands of `kravent run`: the command registers and reset-warnings.
inline constexpr std::string_view kRunCommands =
    "RESETCPU, SAVEUSERPARAMETERS, RESTOREUSERPARAMETERS, RESTOREFACTORYPARAMETERS, SAVEFACTORYPARAMETERS, HOMING, "
    "STOPHOMING or reset-warnings (any case)";

}  // namespace kravent::cli
