// Register values between text and host form or wire bytes: what is shown reads back
// as the same value, and malformed text is refused with a reason.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "protocol/text/value_text.h"

namespace kravent::text {
namespace {

std::size_t Reg(const char* name) {
    const auto index = FindRegister(name);
    EXPECT_TRUE(index.has_value()) << name;
    return index.value_or(0);
}

HostValue Parse(const char* reg, const std::string& text) {
    const ParsedValue parsed = ParseValue(Reg(reg), text);
    EXPECT_TRUE(parsed.value.has_value()) << reg << "=" << text << ": " << parsed.error;
    return parsed.value.value_or(HostValue{});
}

std::string ParseError(const char* reg, const std::string& text) {
    const ParsedValue parsed = ParseValue(Reg(reg), text);
    EXPECT_FALSE(parsed.value.has_value()) << reg << "=" << text << " should be refused";
    return parsed.error;
}

// Text -> value -> text gives the same text, and the value read back is the same bytes.
void ExpectRoundTrip(const char* reg, const std::string& shown) {
    const HostValue value = Parse(reg, shown);
    EXPECT_EQ(FormatText(Reg(reg), value), shown) << reg;
    const HostValue again = Parse(reg, FormatText(Reg(reg), value));
    EXPECT_EQ(again.bytes, value.bytes) << reg;
}

TEST(ValueText, ShownValuesReadBackUnchanged) {
    ExpectRoundTrip("POSITION", "-40");
    ExpectRoundTrip("POSITION", "2147483647");
    ExpectRoundTrip("POSITION", "-2147483648");
    ExpectRoundTrip("LOOPTIME", "255");
    ExpectRoundTrip("KP", "1.5");
    ExpectRoundTrip("KI", "0.099990845");
    ExpectRoundTrip("CURRENTMAX", "-0.25");
    ExpectRoundTrip("IPADDRESS", "192.168.0.10");
    ExpectRoundTrip("OPTIONS", "0x80000005 (bit0,bit2,bit31)");
    ExpectRoundTrip("COMMUNICATIONOPTIONS", "0x00000000 (none)");
    ExpectRoundTrip("MODULENAME", "AXIS-1");
    ExpectRoundTrip("MODULENAME", "sixteen-chars-16");
    ExpectRoundTrip("MODULENAME", "a\\\\b\\x01");
    ExpectRoundTrip("MODULENAME", "Achse-\xc3\xbc\\xff");  // UTF-8 as it is, a stray byte escaped
    ExpectRoundTrip("HOMINGOPTIONS", "nibble0=1 bit7=1 nibble2=2 nibble3=3 nibble4=4 nibble5=15");
}

TEST(ValueText, RealsAreShownShortestAndExact) {
    for (const float f : {0.0f, 1.5f, -3.25f, 0.1f, 1e-5f, 32767.996f, -32768.0f}) {
        const std::string text = FormatReal(f);
        EXPECT_EQ(Parse("KD", text).Real(), f) << text;
    }
    EXPECT_EQ(FormatReal(std::nanf("")), "nan");
}

TEST(ValueText, IntegersOutsideInt32AreRefused) {
    ParseError("POSITION", "2147483648");
    ParseError("POSITION", "-2147483649");
    ParseError("POSITION", "99999999999999999999");
    ParseError("INPUT", "12abc");
    ParseError("INPUT", "");
    ParseError("INPUT", "1.5");
    EXPECT_EQ(Parse("INPUT", "0x10").Int(), 16);
    EXPECT_EQ(Parse("INPUT", "-0x10").Int(), -16);
    EXPECT_EQ(Parse("INPUT", " 7 ").Int(), 7);
}

TEST(ValueText, RangesAreCheckedAndValuesShownAsSent) {
    for (const auto& [reg, text] : std::vector<std::pair<const char*, const char*>>{
             {"TCPTIMEOUT", "256"}, {"LOOPTIME", "300"}, {"LIMIT1REGULATIONMODE", "-1"}, {"REGULATIONMODE", "6"},
             {"KP", "40000"}, {"KD", "-32768.5"}, {"IPADDRESS", "192.168.0.256"}, {"SUBNETMASK", "-1.0.0.0"},
             {"HOMINGOPTIONS", "16,0,0,0,0,0"}})
        EXPECT_NE(ParseError(reg, text).find("range"), std::string::npos) << reg << "=" << text;
    EXPECT_EQ(ParseError("KP", "40000"), "out of range -32768 to 32767.99998");
    EXPECT_EQ(Parse("REGULATIONMODE", "5").Int(), 5);
    EXPECT_EQ(Parse("KP", "32767.99998").Real(), 32767.998f) << "the largest float below 32768";
    EXPECT_EQ(FormatText(Reg("KP"), AsSent(Reg("KP"), Parse("KP", "0.1"))), "0.099990845") << "cut to 1/65536";
    EXPECT_EQ(FormatText(Reg("KP"), AsSent(Reg("KP"), Parse("KP", "-1.5"))), "-1.5");
}

TEST(ValueText, AddressesNeedFourDottedIntegers) {
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "1..3.4", "a.b.c.d", "1.2.3.4 ", "0x1.2.3.4", ""})
        ParseError("IPADDRESS", bad);
    std::int32_t mac[6];
    EXPECT_TRUE(ParseMac("02:4B:52:00:00:ff", mac));
    EXPECT_EQ(mac[1], 0x4B);
    EXPECT_EQ(mac[5], 0xFF);
    EXPECT_EQ(FormatMac(mac), "02:4b:52:00:00:ff");
    EXPECT_TRUE(ParseMac("02-4b-52-00-00-01", mac));
    for (const char* bad : {"02:4b:52:00:00", "02:4b:52:00:00:1", "02:4b:52:00:00:001", "02:4b:52:00:00:gg", "2:4b:52:00:00:01:"})
        EXPECT_FALSE(ParseMac(bad, mac)) << bad;
    // A listening address: decimal parts only.
    EXPECT_EQ(ParseDottedQuad("10.0.0.255"), (std::array<std::uint8_t, 4>{10, 0, 0, 255}));
    for (const char* bad : {"+1.2.3.4", "1.2.3.256", "1.2.3.-0", " 1.2.3.4", "1.2.3"}) EXPECT_FALSE(ParseDottedQuad(bad)) << bad;
}

TEST(ValueText, BitSetsFromHexWordsAndBitNames) {
    const std::size_t options = Reg("OPTIONS");
    const HostValue listed = Parse("OPTIONS", "bit1,bit3 | BIT31");
    EXPECT_EQ(FormatText(options, listed), "0x8000000a (bit1,bit3,bit31)");
    EXPECT_EQ(Parse("OPTIONS", "0x8000000A").bytes, listed.bytes);
    EXPECT_EQ(Parse("OPTIONS", "none").bytes, HostValue{}.bytes);
    EXPECT_NE(ParseError("OPTIONS", "bit32").find("bit32"), std::string::npos);
    ParseError("OPTIONS", "0x100000000");
    ParseError("OPTIONS", "");
    // Each host byte is 0 or 1, one per bit, as the library reads it.
    for (int k = 0; k < 32; ++k) EXPECT_EQ(listed.bytes[static_cast<std::size_t>(k)], (k == 1 || k == 3 || k == 31) ? 1 : 0);
}

TEST(ValueText, WarningBitsCarryTheirNames) {
    const std::size_t warnings = Reg("WARNINGS");
    HostValue value;
    value.bytes[0] = value.bytes[3] = value.bytes[9] = 1;
    EXPECT_EQ(FormatText(warnings, value), "0x00000209 (limit1,undervoltage,bit9)");
    EXPECT_EQ(BitByName(warnings, "OverCurrent"), 2);
    EXPECT_EQ(BitByName(Reg("OPTIONS"), "overcurrent"), -1) << "only WARNINGS has named bits";
}

TEST(ValueText, ModuleNamesUpToSixteenBytes) {
    EXPECT_NE(ParseError("MODULENAME", "seventeen-chars-1").find("16"), std::string::npos);
    const HostValue padded = Parse("MODULENAME", "AB");
    EXPECT_EQ(std::memcmp(padded.bytes.data(), "AB\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16), 0) << "zero padded";
    EXPECT_EQ(Parse("MODULENAME", "").bytes, HostValue{}.bytes);
    ParseError("MODULENAME", "bad\\q");
    ParseError("MODULENAME", "cut\\x4");
    // Sixteen bytes without a terminator are shown whole.
    HostValue full;
    std::memcpy(full.bytes.data(), "0123456789ABCD\"F", 16);
    full.bytes[16] = 'X';  // beyond the name
    EXPECT_EQ(FormatText(Reg("MODULENAME"), full), "0123456789ABCD\"F");
}

TEST(ValueText, HomingFieldsAreSixNumbers) {
    const HostValue plain = Parse("HOMINGOPTIONS", "1,1,2,3,4,5");
    const wire::HomingValue h = plain.Homing();
    EXPECT_EQ(h.nibble0, 1);
    EXPECT_TRUE(h.bit7);
    EXPECT_EQ(h.nibble5, 5);
    EXPECT_FALSE(Parse("HOMINGOPTIONS", "0 false 0 0 0 0").Homing().bit7);
    ParseError("HOMINGOPTIONS", "1,1,2,3,4");
    ParseError("HOMINGOPTIONS", "1,1,2,3,4,5,6");
    ParseError("HOMINGOPTIONS", "1,2,2,3,4,5");  // bit7 is a single bit
    ParseError("HOMINGOPTIONS", "nibble2=1,1,2,3,4,5");
    ParseError("HOMINGOPTIONS", "0x10");  // a word with a bit outside the fields
}

// The wire bytes of a value, in the forms configuration files also use: one integer
// for a bit set or the homing word, HIGH/LOW for the halves.
TEST(ValueText, WireBytesOfEveryEncoding) {
    using Bytes = std::vector<std::uint8_t>;
    auto bytes = [](const char* name, std::string_view text, std::ptrdiff_t n) {
        const auto v = ParseWireValue(Reg(name), text);
        EXPECT_TRUE(v) << name << "=" << text;
        return v ? Bytes(v->begin(), v->begin() + n) : Bytes{};
    };
    EXPECT_EQ(bytes("TYPE", "2.3", 4), (Bytes{0, 2, 0, 3}));
    EXPECT_EQ(bytes("VERSION", "1/5", 4), (Bytes{0, 1, 0, 5}));
    EXPECT_EQ(bytes("KP", "1.5", 4), (Bytes{0x00, 0x01, 0x80, 0x00}));
    EXPECT_EQ(bytes("KP", "32767.99998", 4), (Bytes{0x7F, 0xFF, 0xFF, 0x80})) << "the top stays below 32768";
    EXPECT_EQ(bytes("POSITION", "-1", 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(bytes("REGULATIONMODE", "0x02", 1), (Bytes{2}));
    EXPECT_EQ(bytes("IPADDRESS", "192.168.1.10", 4), (Bytes{192, 168, 1, 10}));
    EXPECT_EQ(bytes("ETHERNETMAC", "02-4b-52-00-00-ff", 6), (Bytes{2, 0x4B, 0x52, 0, 0, 0xFF}));
    EXPECT_EQ(bytes("MODULENAME", "AB", 3), (Bytes{'A', 'B', 0}));
    EXPECT_EQ(bytes("WARNINGS", "0x80000001", 4), (Bytes{0x80, 0, 0, 1}));
    EXPECT_EQ(bytes("OPTIONS", "40", 4), (Bytes{0, 0, 0, 0x28}));
    EXPECT_EQ(bytes("HOMINGOPTIONS", "0x00543281", 4), (Bytes{0x00, 0x54, 0x32, 0x81}));
    const std::size_t homing = Reg("HOMINGOPTIONS");
    EXPECT_EQ(FormatText(homing, FromWire(homing, ParseWireValue(homing, "0x00543281")->data())),
              "nibble0=1 bit7=1 nibble2=2 nibble3=3 nibble4=4 nibble5=5");
    for (const char* bad : {"2", "2.65536", "-1.0"}) EXPECT_FALSE(ParseWireValue(Reg("TYPE"), bad)) << bad;
}

TEST(ValueText, ReadOnlyFormsAreShown) {
    HostValue halves;
    halves.Set(wire::TwoHalvesValue{2, 2});
    EXPECT_EQ(FormatText(Reg("TYPE"), halves), "2.2");
    ParseError("RESETCPU", "1");
}

}  // namespace
}  // namespace kravent::text
