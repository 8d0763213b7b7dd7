// Register values as the tool shows them in JSON, and taken from their place in the
// record the library hands over (the text forms: tests/value_text).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "cli/register_catalogue.h"
#include "cli/value_format.h"

namespace kravent::cli {
namespace {

std::size_t Reg(const char* name) {
    const auto index = FindRegister(name);
    EXPECT_TRUE(index.has_value()) << name;
    return index.value_or(0);
}

TEST(CliValueForms, JsonValueOfEachKind) {
    HostValue infinite;
    infinite.Set(std::numeric_limits<float>::infinity());
    EXPECT_EQ(FormatJson(Reg("VOLTAGE"), infinite), "null") << "JSON has no infinity";
    HostValue warnings;
    warnings.bytes[0] = warnings.bytes[3] = warnings.bytes[9] = 1;
    EXPECT_EQ(FormatJson(Reg("WARNINGS"), warnings), R"({"word":"0x00000209","bits":["limit1","undervoltage","bit9"]})");
    HostValue name;
    std::memcpy(name.bytes.data(), "0123456789ABCD\"F", 16);
    name.bytes[16] = 'X';  // beyond the name
    EXPECT_EQ(FormatJson(Reg("MODULENAME"), name), R"("0123456789ABCD\"F")");
    std::memcpy(name.bytes.data(), "A\xff\xc3\xbc\x01\\\0", 7);
    EXPECT_EQ(FormatJson(Reg("MODULENAME"), name), "\"A\\\\xff\xc3\xbc\\\\x01\\\\\\\\\"") << "UTF-8 stays, the rest as typed";
    const ParsedValue homing = ParseValue(Reg("HOMINGOPTIONS"), "1,1,2,3,4,5");
    ASSERT_TRUE(homing.value);
    EXPECT_EQ(FormatJson(Reg("HOMINGOPTIONS"), *homing.value),
              R"({"nibble0":1,"bit7":true,"nibble2":2,"nibble3":3,"nibble4":4,"nibble5":5})");
    HostValue halves;
    halves.Set(wire::TwoHalvesValue{2, 2});
    EXPECT_EQ(FormatJson(Reg("VERSION"), halves), R"("2.2")");
    const std::int32_t mac[6] = {2, 0x4B, 0x52, 0, 0, 1};
    HostValue macValue;
    macValue.Set(mac);
    EXPECT_EQ(FormatJson(Reg("ETHERNETMAC"), macValue), R"("02:4b:52:00:00:01")");
}

TEST(CliValueForms, RecordFieldsAreTakenFromTheirPlace) {
    RegisterValues values{};
    values.KP_Value = 2.25f;
    values.KP_Received = true;
    values.ETHERNETMAC_Bytes[5] = 0x21;
    values.HOMINGOPTIONS_HomingNibble5 = 9;
    values.HOMINGOPTIONS_HomingBit7 = true;
    std::memcpy(values.MODULENAME_Text, "NAME", 4);
    EXPECT_EQ(FormatText(Reg("KP"), FromRecord(values, Reg("KP"))), "2.25");
    EXPECT_TRUE(ReceivedIn(values, Reg("KP")));
    EXPECT_FALSE(ReceivedIn(values, Reg("KI")));
    EXPECT_EQ(FormatText(Reg("ETHERNETMAC"), FromRecord(values, Reg("ETHERNETMAC"))), "00:00:00:00:00:21");
    EXPECT_EQ(FormatText(Reg("HOMINGOPTIONS"), FromRecord(values, Reg("HOMINGOPTIONS"))),
              "nibble0=0 bit7=1 nibble2=0 nibble3=0 nibble4=0 nibble5=9");
    EXPECT_EQ(FormatText(Reg("MODULENAME"), FromRecord(values, Reg("MODULENAME"))), "NAME");
}

}  // namespace
}  // namespace kravent::cli
