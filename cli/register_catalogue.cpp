#include "cli/register_catalogue.h"

namespace kravent::cli {

std::string RegistersHelp() {
    std::string out = "Registers (names in any case; r read, p pollable, w write, c command), their form,\n"
                      "the range a write may carry and the unit:\n";
    for (std::size_t index = 0; index < kRegisters.size(); ++index) {
        const RegisterInfo& r = kRegisters[index];
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
        if (const std::string range = RangeHelp(index); !range.empty() && r.write == Write::Value)
            line += ", " + range;
        if (const std::string_view unit = UnitOf(index); !unit.empty()) line += " [" + std::string(unit) + "]";
        out += line + "\n";
    }
    return out;
}

}  // namespace kravent::cli
