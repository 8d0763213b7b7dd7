#include <gtest/gtest.h>

#include "protocol/address_arrays.h"

namespace kravent {
namespace {

TEST(AddressArrays, RangeCheckLooksAtEveryElementAndNothingElse) {
    const std::int32_t mac256[] = {0, 0, 0, 0, 0, 256};
    const std::int32_t macNegative[] = {-1, 0, 0, 0, 0, 0};
    const std::int32_t macGroup[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const std::int32_t oddMask[] = {255, 0, 255, 0};
    const std::int32_t zero[] = {0, 0, 0, 0};
    EXPECT_FALSE(IsByteArrayValid(mac256, kMacAddressBytes));
    EXPECT_FALSE(IsByteArrayValid(macNegative, kMacAddressBytes));
    EXPECT_TRUE(IsByteArrayValid(macGroup, kMacAddressBytes));
    EXPECT_TRUE(IsByteArrayValid(oddMask, kIpAddressBytes));
    EXPECT_TRUE(IsByteArrayValid(zero, kIpAddressBytes));
    EXPECT_TRUE(IsByteArrayValid(mac256, 5)) << "only the given count is examined";
}

TEST(AddressArrays, TextOfUncheckedElementsKeepsTheirSign) {
    const std::int32_t ip[] = {192, 168, 1, 20};
    const std::int32_t wild[] = {10, -1, 300, 0};
    EXPECT_EQ(IPArrayToText(ip), "192.168.1.20");
    EXPECT_EQ(IPArrayToText(wild), "10.-1.300.0");
}

TEST(AddressArrays, TextToArrayParsesPartsAndMarksEmptyOnes) {
    std::int32_t ip[4] = {7, 7, 7, 7};
    IPTextToArray("192.168.1.20", ip);
    EXPECT_EQ((std::vector<int>{ip, ip + 4}), (std::vector<int>{192, 168, 1, 20}));

    IPTextToArray("10..3.4", ip);
    EXPECT_EQ(ip[1], -1);
    EXPECT_EQ(ip[2], 3);

    std::int32_t untouched[4] = {7, 7, 7, 7};
    IPTextToArray("localhost", untouched);
    EXPECT_EQ((std::vector<int>{untouched, untouched + 4}), (std::vector<int>{7, 7, 7, 7}));

    std::int32_t two[4] = {7, 7, 7, 7};
    IPTextToArray("1.2", two);
    EXPECT_EQ((std::vector<int>{two, two + 4}), (std::vector<int>{1, 7, 7, 7}));
}

}  // namespace
}  // namespace kravent
