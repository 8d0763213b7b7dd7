#include "cli/value_format.h"

#include <cmath>

#include "cli/json.h"
#include "cli/register_catalogue.h"

namespace kravent::cli {

std::string FormatJson(std::size_t index, const HostValue& value) {
    switch (Register(index).encoding) {
    case Encoding::None: return "null";
    case Encoding::Byte:
    case Encoding::Signed32: return std::to_string(value.Int());
    case Encoding::Fixed16_16: return std::isfinite(value.Real()) ? FormatReal(value.Real()) : "null";
    case Encoding::BitSet: {
        std::string bits = "[";
        std::uint32_t word = 0;
        for (int k = 0; k < 32; ++k) {
            if (!value.Bit(k)) continue;
            word |= 1u << k;
            bits += (bits.size() > 1 ? "," : "") + JsonString(BitName(index, k));
        }
        return JsonObject().AddString("word", text::HexWord(word)).Add("bits", bits + "]").Text();
    }
    case Encoding::TwoHalves:
    case Encoding::ByteList4:
    case Encoding::ByteList6:
    case Encoding::Text16: return JsonString(FormatText(index, value));
    case Encoding::HomingOptions: {
        const wire::HomingValue h = value.Homing();
        const std::int32_t nibbles[6] = {h.nibble0, 0, h.nibble2, h.nibble3, h.nibble4, h.nibble5};
        JsonObject out;
        for (std::size_t k = 0; k < 6; ++k) {
            if (k == 1) out.AddBool(text::kHomingFields[k], h.bit7);
            else out.AddNumber(text::kHomingFields[k], nibbles[k]);
        }
        return out.Text();
    }
    }
    return "null";
}

std::optional<double> NumericValue(std::size_t index, const HostValue& value) {
    switch (Register(index).encoding) {
    case Encoding::Byte:
    case Encoding::Signed32: return value.Int();
    case Encoding::Fixed16_16: return value.Real();
    case Encoding::BitSet: {
        std::uint32_t word = 0;
        for (int k = 0; k < 32; ++k)
            if (value.Bit(k)) word |= 1u << k;
        return word;
    }
    default: return std::nullopt;
    }
}

std::string_view ChartUnitOf(std::size_t index) {
    const std::string_view unit = UnitOf(index);
    return unit.empty() ? Register(index).name : unit;
}

}  // namespace kravent::cli
