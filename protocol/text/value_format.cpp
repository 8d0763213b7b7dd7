#include <charconv>
#include <cmath>
#include <cstdio>

#include "protocol/text/text_escape.h"
#include "protocol/text/value_text.h"

namespace kravent::text {

namespace {

std::uint32_t BitWord(const HostValue& value) {
    std::uint32_t word = 0;
    for (int k = 0; k < 32; ++k)
        if (value.Bit(k)) word |= 1u << k;
    return word;
}

std::string Name(const HostValue& value) {
    std::size_t length = 0;
    while (length < kTextLength && value.bytes[length] != 0) ++length;
    return std::string(value.Text(), length);
}

}  // namespace

HostValue AsSent(std::size_t index, const HostValue& value) {
    if (kRegisters[index].encoding != Encoding::Fixed16_16) return value;
    HostValue sent;
    sent.Set(wire::Fixed16_16FromWire(wire::Fixed16_16ToWire(value.Real())));
    return sent;
}

std::string HexWord(std::uint32_t word) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", word);
    return text;
}

std::string FormatReal(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string FormatMac(const std::int32_t bytes[6]) {
    char text[32];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", bytes[0] & 0xFF, bytes[1] & 0xFF, bytes[2] & 0xFF,
                  bytes[3] & 0xFF, bytes[4] & 0xFF, bytes[5] & 0xFF);
    return text;
}

std::string FormatAddress(const std::int32_t bytes[4]) {
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
           std::to_string(bytes[3]);
}

std::string FormatDottedQuad(const std::uint8_t* bytes) {
    const std::int32_t parts[4] = {bytes[0], bytes[1], bytes[2], bytes[3]};
    return FormatAddress(parts);
}

std::string FormatText(std::size_t index, const HostValue& value) {
    switch (kRegisters[index].encoding) {
    case Encoding::None: return "";
    case Encoding::Byte:
    case Encoding::Signed32: return std::to_string(value.Int());
    case Encoding::Fixed16_16: return FormatReal(value.Real());
    case Encoding::TwoHalves: return std::to_string(value.Halves().high) + "." + std::to_string(value.Halves().low);
    case Encoding::BitSet: {
        std::string names;
        for (int k = 0; k < 32; ++k)
            if (value.Bit(k)) names += (names.empty() ? "" : ",") + BitName(index, k);
        return HexWord(BitWord(value)) + " (" + (names.empty() ? "none" : names) + ")";
    }
    case Encoding::ByteList4: {
        const std::int32_t bytes[4] = {value.Int(0), value.Int(1), value.Int(2), value.Int(3)};
        return FormatAddress(bytes);
    }
    case Encoding::ByteList6: {
        const std::int32_t bytes[6] = {value.Int(0), value.Int(1), value.Int(2), value.Int(3), value.Int(4), value.Int(5)};
        return FormatMac(bytes);
    }
    case Encoding::Text16: return EscapeText(Name(value));
    case Encoding::HomingOptions: {
        const wire::HomingValue h = value.Homing();
        const std::int32_t numbers[6] = {h.nibble0, h.bit7 ? 1 : 0, h.nibble2, h.nibble3, h.nibble4, h.nibble5};
        std::string out;
        for (std::size_t k = 0; k < 6; ++k)
            out += (k ? " " : "") + std::string(kHomingFields[k]) + "=" + std::to_string(numbers[k]);
        return out;
    }
    }
    return "";
}

}  // namespace kravent::text
