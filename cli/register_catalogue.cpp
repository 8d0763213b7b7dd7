#include "cli/register_catalogue.h"

#include <array>
#include <cctype>

namespace kravent::cli {

namespace {

// The WARNINGS bits that modules raise (latched until the warnings are reset).
constexpr std::array<std::string_view, 4> kWarningBits = {"limit1", "limit2", "overcurrent", "undervoltage"};

bool IsWarnings(std::size_t index) { return kRegisters[index].name == "WARNINGS"; }

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
    if (IsWarnings(index) && bit >= 0 && static_cast<std::size_t>(bit) < kWarningBits.size())
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

std::string_view FormHelp(Encoding encoding) {
    switch (encoding) {
    case Encoding::None: return "command, no value";
    case Encoding::Byte: return "integer (the module keeps the low 8 bits)";
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

std::string RegistersHelp() {
    std::string out = "Registers (names in any case; r read, p pollable, w write, c command):\n";
    for (const RegisterInfo& r : kRegisters) {
        std::string access;
        access += r.readable ? 'r' : '-';
        access += r.repetitive ? 'p' : '-';
        access += r.write == Write::Value ? 'w' : r.write == Write::Command ? 'c' : '-';
        std::string line = "  " + std::string(r.name);
        line.resize(28, ' ');
        line += access + "  ";
        line += r.name == "WARNINGS" ? "32 bits (bit0 limit1, bit1 limit2, bit2 overcurrent, bit3 undervoltage); "
                                       "written only by `run IP reset-warnings`"
                                     : std::string(FormHelp(r.encoding));
        out += line + "\n";
    }
    return out;
}

std::string_view CommandsHelp() {
    return "Commands of `run`: RESETCPU, SAVEUSERPARAMETERS, RESTOREUSERPARAMETERS, RESTOREFACTORYPARAMETERS,\n"
           "  SAVEFACTORYPARAMETERS, HOMING, STOPHOMING, reset-warnings (any case)\n";
}

}  // namespace kravent::cli
