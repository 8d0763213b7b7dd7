#include "sim/register_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "protocol/frame.h"
#include "protocol/value_codec.h"

namespace kravent::sim {

std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size() || magnitude > (std::uint64_t{1} << 40)) return std::nullopt;
    const std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
    if (value < min || value > max) return std::nullopt;
    return value;
}

namespace {

// Splits `text` at `separators` into exactly `count` integers within [0, max].
template <std::size_t count>
std::optional<std::array<std::int64_t, count>> ParseParts(std::string_view text, std::string_view separators,
                                                          int base, std::int64_t max) {
    std::array<std::int64_t, count> parts{};
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t cut = k + 1 < count ? text.find_first_of(separators) : text.size();
        if (cut == std::string_view::npos) return std::nullopt;
        const std::string_view part = text.substr(0, cut);
        std::uint64_t value = 0;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value, base);
        if (part.empty() || ec != std::errc() || end != part.data() + part.size() || value > static_cast<std::uint64_t>(max))
            return std::nullopt;
        parts[k] = static_cast<std::int64_t>(value);
        text.remove_prefix(cut == text.size() ? cut : cut + 1);
    }
    return parts;
}

}  // namespace

std::optional<std::array<std::uint8_t, 4>> ParseDottedQuad(std::string_view text) {
    const auto parts = ParseParts<4>(text, ".", 10, 255);
    if (!parts) return std::nullopt;
    std::array<std::uint8_t, 4> out{};
    for (std::size_t k = 0; k < 4; ++k) out[k] = static_cast<std::uint8_t>((*parts)[k]);
    return out;
}

std::string FormatDottedQuad(const std::uint8_t* bytes) {
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
           std::to_string(bytes[3]);
}

std::optional<WireValue> ParseRegisterValue(const RegisterInfo& reg, std::string_view text) {
    WireValue out{};
    switch (reg.encoding) {
    case Encoding::None: return std::nullopt;
    case Encoding::Byte: {
        const auto v = ParseInteger(text, 0, 255);
        if (!v) return std::nullopt;
        out[0] = static_cast<std::uint8_t>(*v);
        return out;
    }
    case Encoding::Signed32: {
        const auto v = ParseInteger(text, INT32_MIN, INT32_MAX);
        if (!v) return std::nullopt;
        wire::PutU32(out.data(), static_cast<std::uint32_t>(static_cast<std::int32_t>(*v)));
        return out;
    }
    case Encoding::BitSet:
    case Encoding::HomingOptions: {
        const auto v = ParseInteger(text, 0, UINT32_MAX);
        if (!v) return std::nullopt;
        wire::PutU32(out.data(), static_cast<std::uint32_t>(*v));
        return out;
    }
    case Encoding::Fixed16_16: {
        const std::string copy(text);
        char* end = nullptr;
        const double v = std::strtod(copy.c_str(), &end);
        if (copy.empty() || end != copy.c_str() + copy.size() || !std::isfinite(v) || v < -32768.0 || v >= 32768.0)
            return std::nullopt;
        const float f = static_cast<float>(v);
        wire::EncodeValue(Encoding::Fixed16_16, &f, out.data());
        return out;
    }
    case Encoding::TwoHalves: {
        const auto parts = ParseParts<2>(text, "./", 10, 65535);
        if (!parts) return std::nullopt;
        wire::PutU16(out.data(), static_cast<std::uint16_t>((*parts)[0]));
        wire::PutU16(out.data() + 2, static_cast<std::uint16_t>((*parts)[1]));
        return out;
    }
    case Encoding::ByteList4: {
        const auto quad = ParseDottedQuad(text);
        if (!quad) return std::nullopt;
        std::memcpy(out.data(), quad->data(), 4);
        return out;
    }
    case Encoding::ByteList6: {
        const auto parts = ParseParts<6>(text, ":-", 16, 255);
        if (!parts) return std::nullopt;
        for (std::size_t k = 0; k < 6; ++k) out[k] = static_cast<std::uint8_t>((*parts)[k]);
        return out;
    }
    case Encoding::Text16: {
        if (text.size() > 16) return std::nullopt;
        std::memcpy(out.data(), text.data(), text.size());
        return out;
    }
    }
    return std::nullopt;
}

}  // namespace kravent::sim
