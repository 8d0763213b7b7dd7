#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "protocol/frame.h"
#include "protocol/text/text_escape.h"
#include "protocol/text/value_text.h"

namespace kravent::text {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Pieces of `text` between any of the separator characters, empty pieces dropped.
std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || separators.find(text[i]) != std::string_view::npos) {
            if (i > start) parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

std::optional<double> ParseReal(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<std::uint32_t> ParseHexWord(std::string_view text) {
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return std::nullopt;
    std::uint32_t word = 0;
    const auto result = std::from_chars(text.data() + 2, text.data() + text.size(), word, 16);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    return word;
}

// One integer word, as configuration files give bit sets and homing options.
std::optional<std::uint32_t> ParseWord(std::string_view text) {
    const auto word = ParseInteger(Trim(text), 0, UINT32_MAX);
    if (!word) return std::nullopt;
    return static_cast<std::uint32_t>(*word);
}

ParsedValue Fail(std::string error) { return {std::nullopt, std::move(error)}; }

template <typename T>
ParsedValue Value(const T& host) {
    HostValue value;
    value.Set(host);
    return {value, {}};
}

// Through the wire form, which leaves the padding after bit7 zero.
ParsedValue HomingFromWord(std::uint32_t word) {
    std::uint8_t bytes[4];
    wire::PutU32(bytes, word);
    HostValue value;
    wire::DecodeValue(Encoding::HomingOptions, bytes, value.bytes.data());
    return {value, {}};
}

// Hex words, bit names and "none", joined by commas, '|' or spaces: the bits of all of
// them. The shown form "0x00000005 (bit0,bit2)" reads back as the same 32 bits.
ParsedValue ParseBits(std::size_t index, std::string_view text) {
    std::uint32_t word = 0;
    if (const auto whole = ParseWord(text)) {
        word = *whole;
    } else {
        const auto parts = Split(text, ", |()");
        if (parts.empty()) return Fail("expected a hex word (0x0000000a) or a bit list (bit1,bit3)");
        for (const std::string_view part : parts) {
            if (const auto hex = ParseHexWord(part)) {
                word |= *hex;
            } else if (const int bit = BitByName(index, part); bit >= 0) {
                word |= 1u << bit;
            } else if (part != "none") {
                return Fail("'" + std::string(part) + "' is neither a hex word nor a bit name (bit0..bit31)");
            }
        }
    }
    HostValue value;
    for (int k = 0; k < 32; ++k) value.bytes[static_cast<std::size_t>(k)] = (word >> k) & 1u;
    return {value, {}};
}

// Six numbers, optionally named as FormatText shows them ("nibble0=1 bit7=1 ..."), or
// the register's word.
ParsedValue ParseHoming(std::string_view text) {
    if (const auto word = ParseWord(text)) {
        if (wire::HomingToWord(wire::HomingFromWord(*word)) != *word)
            return Fail("a homing word has bits only in 0-3, 7 and 8-23");
        return HomingFromWord(*word);
    }
    const auto parts = Split(text, ", ");
    if (parts.size() != 6) return Fail("expected six numbers: nibble0,bit7,nibble2,nibble3,nibble4,nibble5");
    std::int32_t numbers[6];
    for (std::size_t k = 0; k < 6; ++k) {
        std::string_view part = parts[k];
        const std::string name(kHomingFields[k]);
        if (const std::size_t eq = part.find('='); eq != std::string_view::npos) {
            if (part.substr(0, eq) != name) return Fail("field " + std::to_string(k + 1) + " is " + name);
            part = part.substr(eq + 1);
        }
        if (k == 1 && (part == "true" || part == "false")) {
            numbers[k] = part == "true";
            continue;
        }
        const auto n = ParseInt32(part);
        if (!n) return Fail("'" + std::string(part) + "' is not an integer");
        if (k == 1 && *n != 0 && *n != 1) return Fail("bit7 is 0 or 1");
        if (k != 1 && (*n < 0 || *n > kNibbleMax)) return Fail(name + " is out of range 0 to 15");
        numbers[k] = *n;
    }
    return HomingFromWord(
        wire::HomingToWord(wire::HomingValue{numbers[0], numbers[1] != 0, numbers[2], numbers[3], numbers[4], numbers[5]}));
}

ParsedValue ParseHalves(std::size_t index, std::string_view text) {
    const std::size_t cut = text.find_first_of("./");
    const IntegerRange range = WritableRange(index);
    const auto high = ParseInteger(Trim(text.substr(0, cut)), range.min, range.max);
    const auto low = cut == std::string_view::npos ? std::nullopt : ParseInteger(Trim(text.substr(cut + 1)), range.min, range.max);
    if (!high || !low) return Fail("expected HIGH.LOW");
    return Value(wire::TwoHalvesValue{static_cast<std::int32_t>(*high), static_cast<std::int32_t>(*low)});
}

}  // namespace

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

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    const auto value = ParseInteger(Trim(text), INT32_MIN, INT32_MAX);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

bool ParseAddress(std::string_view text, std::int32_t out[4]) {
    std::size_t start = 0;
    for (int k = 0; k < 4; ++k) {
        const std::size_t dot = k < 3 ? text.find('.', start) : text.size();
        if (dot == std::string_view::npos) return false;
        const std::string_view part = text.substr(start, dot - start);
        if (part.empty() || part.find_first_of("xX \t") != std::string_view::npos) return false;
        const auto n = ParseInt32(part);
        if (!n) return false;
        out[k] = *n;
        start = dot + 1;
    }
    return true;
}

std::optional<std::array<std::uint8_t, 4>> ParseDottedQuad(std::string_view text) {
    std::int32_t parts[4];
    if (text.find_first_not_of("0123456789.") != std::string_view::npos || !ParseAddress(text, parts)) return std::nullopt;
    std::array<std::uint8_t, 4> out{};
    for (std::size_t k = 0; k < 4; ++k) {
        if (parts[k] > 255) return std::nullopt;
        out[k] = static_cast<std::uint8_t>(parts[k]);
    }
    return out;
}

bool ParseMac(std::string_view text, std::int32_t out[6]) {
    const auto parts = Split(text, ":-");
    if (parts.size() != 6 || text.size() != 17) return false;
    for (std::size_t k = 0; k < 6; ++k) {
        unsigned value = 0;
        const auto result = std::from_chars(parts[k].data(), parts[k].data() + parts[k].size(), value, 16);
        if (parts[k].size() != 2 || result.ec != std::errc() || result.ptr != parts[k].data() + 2) return false;
        out[k] = static_cast<std::int32_t>(value);
    }
    return true;
}

ParsedValue ParseValue(std::size_t index, std::string_view text) {
    const RegisterInfo& reg = kRegisters[index];
    switch (reg.encoding) {
    case Encoding::None: return Fail(std::string(reg.name) + " is a command and takes no value");
    case Encoding::Byte:
    case Encoding::Signed32: {
        const auto n = ParseInt32(text);
        const IntegerRange range = WritableRange(index);
        if (!n) return Fail("expected an integer from " + RangeHelp(index));
        if (*n < range.min || *n > range.max) return Fail("out of range " + RangeHelp(index));
        return Value(*n);
    }
    case Encoding::Fixed16_16: {
        const auto real = ParseReal(text);
        if (!real) return Fail("expected a real number from " + RangeHelp(index));
        if (*real < kFixedMin || *real > kFixedMax) return Fail("out of range " + RangeHelp(index));
        // Near the top a float has no room for the last fractions: keep below 32768.
        return Value(std::min(static_cast<float>(*real), std::nextafter(32768.0f, 0.0f)));
    }
    case Encoding::BitSet: return ParseBits(index, text);
    case Encoding::ByteList4: {
        std::int32_t parts[4];
        if (!ParseAddress(text, parts)) return Fail("expected a dotted address A.B.C.D");
        for (const std::int32_t part : parts)
            if (part < 0 || part > 255) return Fail("out of range 0 to 255 each");
        return Value(parts);
    }
    case Encoding::ByteList6: {
        std::int32_t parts[6];
        if (!ParseMac(text, parts)) return Fail("expected a MAC address xx:xx:xx:xx:xx:xx");
        return Value(parts);
    }
    case Encoding::TwoHalves: return ParseHalves(index, text);
    case Encoding::Text16: {
        const auto bytes = UnescapeText(text);
        if (!bytes) return Fail("malformed escape (use \\\\ or \\xNN)");
        if (bytes->size() > kTextLength) return Fail("a module name has at most 16 characters");
        HostValue value;
        std::memcpy(value.bytes.data(), bytes->data(), bytes->size());  // the rest stays zero
        return {value, {}};
    }
    case Encoding::HomingOptions: return ParseHoming(text);
    }
    return Fail("no value form");
}

WireBytes ToWire(std::size_t index, const HostValue& value) {
    WireBytes out{};
    wire::EncodeValue(kRegisters[index].encoding, value.bytes.data(), out.data());
    return out;
}

HostValue FromWire(std::size_t index, const std::uint8_t* bytes) {
    HostValue value;
    wire::DecodeValue(kRegisters[index].encoding, bytes, value.bytes.data());
    return value;
}

std::optional<WireBytes> ParseWireValue(std::size_t index, std::string_view text) {
    const ParsedValue parsed = ParseValue(index, text);
    if (!parsed.value) return std::nullopt;
    return ToWire(index, *parsed.value);
}

}  // namespace kravent::text
