// Prints the value-text codec's table as JSON: per register its encoding, the range a
// write may carry, its unit and bit names; then the 16.16 range, the homing fields and
// the text length. python/tests/test_value_forms.py holds the package against it.
#include <cstdio>
#include <string>

#include "protocol/text/register_forms.h"

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The encoding's name as register_map.h spells it.
constexpr const char* kEncodingNames[] = {"None",    "Byte",      "Signed32",  "Fixed16_16", "TwoHalves",
                                          "BitSet",  "ByteList4", "ByteList6", "Text16",     "HomingOptions"};

}  // namespace

int main() {
    using namespace kravent;
    std::string out = "{\"registers\": [";
    for (std::size_t index = 0; index < kRegisters.size(); ++index) {
        const RegisterInfo& r = kRegisters[index];
        const text::IntegerRange range = text::WritableRange(index);
        out += index ? ",\n  " : "\n  ";
        out += "{\"name\": " + Quoted(r.name) + ", \"encoding\": " +
               Quoted(kEncodingNames[static_cast<std::size_t>(r.encoding)]) + ", \"range\": [" +
               std::to_string(range.min) + ", " + std::to_string(range.max) + "], \"unit\": " +
               Quoted(text::UnitOf(index));
        if (r.encoding == Encoding::BitSet) {
            out += ", \"bits\": [";
            for (int bit = 0; bit < 32; ++bit) out += (bit ? ", " : "") + Quoted(text::BitName(index, bit));
            out += "]";
        }
        out += "}";
    }
    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "[%.17g, %.17g]", text::kFixedMin, text::kFixedMax);
    out += "],\n \"fixed\": " + std::string(fixed) + ",\n \"homing_fields\": [";
    for (std::size_t k = 0; k < 6; ++k) out += (k ? ", " : "") + Quoted(text::kHomingFields[k]);
    out += "], \"nibble_max\": " + std::to_string(text::kNibbleMax) +
           ", \"text_length\": " + std::to_string(text::kTextLength) + "}\n";
    std::fputs(out.c_str(), stdout);
    return 0;
}
