#include "protocol/text/register_forms.h"

#include <array>
#include <cctype>

namespace kravent::text {

namespace {

// The WARNINGS bits that modules raise (latched until the warnings are reset).
constexpr std::array<std::string_view, 4> kWarningBits = {"limit1", "limit2", "overcurrent", "undervoltage"};

struct RegisterUnit {
    std::string_view name;
    std::string_view unit;
};
// Lengths are encoder counts; INPUT and its bounds are counts in position mode and
// counts/s in speed mode, so they carry no unit here.
constexpr RegisterUnit kUnits[] = {
    {"VOLTAGE", "V"},         {"TCPTIMEOUT", "s"},          {"POSITION", "counts"},
    {"POSITIONOFFSET", "counts"}, {"SPEED", "counts/s"},    {"CURRENTMAX", "A"},
    {"LOOPTIME", "ms"},       {"OUPUTVOLTAGEMAX", "V"},     {"ACCELERATION", "counts/s^2"},
    {"DECELERATION", "counts/s^2"}, {"TOPSPEED", "counts/s"}, {"DEADZONE", "counts"},
    {"HOMINGPOSITION", "counts"}, {"LIMIT1POSITION", "counts"}, {"LIMIT2POSITION", "counts"},
};

// The 16.16 bounds as text: the top one is not what a double would print.
constexpr std::string_view kFixedRange = "-32768 to 32767.99998";

}  // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::optional<std::size_t> FindRegister(std::string_view name) {
    for (std::size_t i = 0; i < kRegisters.size(); ++i)
        if (EqualIgnoringCase(kRegisters[i].name, name)) return i;
    return std::nullopt;
}

std::string BitName(std::size_t index, int bit) {
    if (kRegisters[index].name == "WARNINGS" && bit >= 0 && static_cast<std::size_t>(bit) < kWarningBits.size())
        return std::string(kWarningBits[static_cast<std::size_t>(bit)]);
    return "bit" + std::to_string(bit);
}

int BitByName(std::size_t index, std::string_view name) {
    for (int bit = 0; bit < 32; ++bit) {
        if (EqualIgnoringCase(name, "bit" + std::to_string(bit))) return bit;
        if (EqualIgnoringCase(name, BitName(index, bit))) return bit;
    }
    return -1;
}

IntegerRange WritableRange(std::size_t index) {
    const RegisterInfo& r = kRegisters[index];
    if (r.name == "REGULATIONMODE") return {0, 5};
    if (r.encoding == Encoding::Byte) return {0, 255};
    if (r.encoding == Encoding::TwoHalves) return {0, 65535};
    return {INT32_MIN, INT32_MAX};
}

std::string RangeHelp(std::size_t index) {
    switch (kRegisters[index].encoding) {
    case Encoding::Byte:
    case Encoding::Signed32: {
        const IntegerRange range = WritableRange(index);
        return std::to_string(range.min) + " to " + std::to_string(range.max);
    }
    case Encoding::Fixed16_16: return std::string(kFixedRange);
    case Encoding::HomingOptions: return "0 to 15 each, bit7 0 or 1";
    case Encoding::ByteList4: return "0 to 255 each";
    default: return {};
    }
}

std::string_view UnitOf(std::size_t index) {
    for (const RegisterUnit& u : kUnits)
        if (u.name == kRegisters[index].name) return u.unit;
    return {};
}

std::string_view FormHelp(Encoding encoding) {
    switch (encoding) {
    case Encoding::None: return "command, no value";
    case Encoding::Byte: return "integer";
    case Encoding::Signed32: return "integer";
    case Encoding::Fixed16_16: return "real number, 16.16 fixed point on the wire";
    case Encoding::TwoHalves: return "HIGH.LOW";
    case Encoding::BitSet: return "32 bits: hex word (0x0000000a) or bit list (bit1,bit3), none";
    case Encoding::ByteList4: return "dotted address A.B.C.D";
    case Encoding::ByteList6: return "MAC address xx:xx:xx:xx:xx:xx";
    case Encoding::Text16: return "text of up to 16 characters";
    case Encoding::HomingOptions: return "six numbers: nibble0,bit7,nibble2,nibble3,nibble4,nibble5";
    }
    return "";
}

}  // namespace kravent::text
