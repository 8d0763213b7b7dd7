// What each register's value may be, as people name and type it: lookup by name in
// any case, bit names, the range a write may carry, the unit and the form's help.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/register_map.h"

namespace kravent::text {

// ASCII comparison without regard to case.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// Index into kRegisters of `name` (upper, lower or mixed case).
std::optional<std::size_t> FindRegister(std::string_view name);

// The name of bit `bit` of a bit-set register: the ones the modules define, else "bitN".
std::string BitName(std::size_t index, int bit);
// The bit of `name` in a bit-set register ("bit5", or a defined name; any case), or -1.
int BitByName(std::size_t index, std::string_view name);

// The six fields of HOMINGOPTIONS, in their order, as text and JSON name them.
inline constexpr std::string_view kHomingFields[6] = {"nibble0", "bit7", "nibble2", "nibble3", "nibble4", "nibble5"};
inline constexpr std::int32_t kNibbleMax = 15;
inline constexpr std::size_t kTextLength = 16;  // MODULENAME bytes

// How a value of the encoding is written.
std::string_view FormHelp(Encoding encoding);

// What a 16.16 register can carry: the float times 65536 must fit 32 signed bits.
inline constexpr double kFixedMin = -32768.0;
inline constexpr double kFixedMax = 32768.0 - 1.0 / 65536;

struct IntegerRange {
    std::int64_t min;
    std::int64_t max;
};
// The values a write of an integer or byte register may carry: a byte register keeps
// only 8 bits, REGULATIONMODE knows modes 0 to 5. TYPE and VERSION: each half.
IntegerRange WritableRange(std::size_t index);
// "0 to 255", "-32768 to 32767.99998", ...; empty for registers without a number range.
std::string RangeHelp(std::size_t index);
// The unit of a register's value ("V", "counts/s", ...), or empty.
std::string_view UnitOf(std::size_t index);

}  // namespace kravent::text
