#include "cli/value_parse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "cli/register_catalogue.h"
#include "cli/text_escape.h"

namespace kravent::cli {

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

ParsedValue Fail(std::string error) { return {std::nullopt, std::move(error)}; }

// Hex words, bit names and "none", joined by commas, '|' or spaces: the bits of all of
// them. The shown form "0x00000005 (bit0,bit2)" reads back as the same 32 bits.
ParsedValue ParseBits(std::size_t index, std::string_view text) {
    std::uint32_t word = 0;
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
    HostValue value;
    for (int k = 0; k < 32; ++k) value.bytes[static_cast<std::size_t>(k)] = (word >> k) & 1u;
    return {value, {}};
}

// Six numbers, optionally named as FormatText shows them ("nibble0=1 bit7=1 ...").
ParsedValue ParseHoming(std::string_view text) {
    static constexpr std::string_view kNames[6] = {"nibble0", "bit7", "nibble2", "nibble3", "nibble4", "nibble5"};
    const auto parts = Split(text, ", ");
    if (parts.size() != 6) return Fail("expected six numbers: nibble0,bit7,nibble2,nibble3,nibble4,nibble5");
    std::int32_t numbers[6];
    for (std::size_t k = 0; k < 6; ++k) {
        std::string_view part = parts[k];
        if (const std::size_t eq = part.find('='); eq != std::string_view::npos) {
            if (part.substr(0, eq) != kNames[k])
                return Fail("field " + std::to_string(k + 1) + " is " + std::string(kNames[k]));
            part = part.substr(eq + 1);
        }
        if (k == 1 && (part == "true" || part == "false")) {
            numbers[k] = part == "true";
            continue;
        }
        const auto n = ParseInt32(part);
        if (!n) return Fail("'" + std::string(part) + "' is not an integer");
        if (k == 1 && *n != 0 && *n != 1) return Fail("bit7 is 0 or 1");
        if (k != 1 && (*n < 0 || *n > 15)) return Fail(std::string(kNames[k]) + " is out of range 0 to 15");
        numbers[k] = *n;
    }
    const wire::HomingValue h{numbers[0], numbers[1] != 0, numbers[2], numbers[3], numbers[4], numbers[5]};
    HostValue value;
    value.Set(h);
    return {value, {}};
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
    if (magnitude > (negative ? std::uint64_t{1} << 31 : (std::uint64_t{1} << 31) - 1)) return std::nullopt;
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude));
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
    const RegisterInfo& reg = Register(index);
    HostValue value;
    switch (reg.encoding) {
    case Encoding::None: return Fail(std::string(reg.name) + " is a command and takes no value");
    case Encoding::Byte:
    case Encoding::Signed32: {
        const auto n = ParseInt32(text);
        const IntegerRange range = WritableRange(index);
        if (!n) return Fail("expected an integer from " + RangeHelp(index));
        if (*n < range.min || *n > range.max) return Fail("out of range " + RangeHelp(index));
        value.Set(*n);
        return {value, {}};
    }
    case Encoding::Fixed16_16: {
        const auto real = ParseReal(text);
        if (!real) return Fail("expected a real number from " + RangeHelp(index));
        if (*real < kFixedMin || *real > kFixedMax) return Fail("out of range " + RangeHelp(index));
        // Near the top a float has no room for the last fractions: keep below 32768.
        value.Set(std::min(static_cast<float>(*real), std::nextafter(32768.0f, 0.0f)));
        return {value, {}};
    }
    case Encoding::BitSet: return ParseBits(index, text);
    case Encoding::ByteList4: {
        std::int32_t parts[4];
        if (!ParseAddress(text, parts)) return Fail("expected a dotted address A.B.C.D");
        for (const std::int32_t part : parts)
            if (part < 0 || part > 255) return Fail("out of range 0 to 255 each");
        value.Set(parts);
        return {value, {}};
    }
    case Encoding::ByteList6: {
        std::int32_t parts[6];
        if (!ParseMac(text, parts)) return Fail("expected a MAC address xx:xx:xx:xx:xx:xx");
        value.Set(parts);
        return {value, {}};
    }
    case Encoding::TwoHalves: {
        const std::size_t dot = text.find('.');
        const auto high = ParseInt32(text.substr(0, dot));
        const auto low = dot == std::string_view::npos ? std::nullopt : ParseInt32(text.substr(dot + 1));
        if (!high || !low) return Fail("expected HIGH.LOW");
        value.Set(wire::TwoHalvesValue{*high, *low});
        return {value, {}};
    }
    case Encoding::Text16: {
        const auto bytes = UnescapeText(text);
        if (!bytes) return Fail("malformed escape (use \\\\ or \\xNN)");
        if (bytes->size() > 16) return Fail("a module name has at most 16 characters");
        std::memcpy(value.bytes.data(), bytes->data(), bytes->size());  // the rest stays zero
        return {value, {}};
    }
    case Encoding::HomingOptions: return ParseHoming(text);
    }
    return Fail("no value form");
}

}  // namespace kravent::cli
