#include "platform/linux/icmp_echo.h"

#include <gtest/gtest.h>
#include <vector>

namespace kravent::platform::detail {
namespace {

TEST(IcmpCodec, ChecksumMatchesTheKnownExample) {
    const std::uint8_t words[] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
    EXPECT_EQ(InternetChecksum(words, sizeof words), 0x220D);
    const std::uint8_t odd[] = {0x01, 0x02, 0x03};  // the last byte counts as a high byte
    EXPECT_EQ(InternetChecksum(odd, sizeof odd), static_cast<std::uint16_t>(~(0x0102 + 0x0300)));
}

// The reply a host makes of a request: type 0, checksum adjusted.
std::vector<std::uint8_t> ReplyTo(const std::uint8_t* request, std::size_t length) {
    std::vector<std::uint8_t> reply(request, request + length);
    reply[0] = kEchoReplyType;
    reply[2] = reply[3] = 0;
    const std::uint16_t sum = InternetChecksum(reply.data(), reply.size());
    reply[2] = static_cast<std::uint8_t>(sum >> 8);
    reply[3] = static_cast<std::uint8_t>(sum);
    return reply;
}

TEST(IcmpCodec, RequestCarriesItsFieldsAndAValidChecksum) {
    const std::uint8_t payload[] = {'a', 'b', 'c'};
    std::uint8_t out[32];
    const std::size_t length = BuildEchoRequest(0x1234, 0x0007, payload, sizeof payload, out, sizeof out);
    ASSERT_EQ(length, kEchoHeaderSize + sizeof payload);
    EXPECT_EQ(out[0], kEchoRequestType);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[4], 0x12);
    EXPECT_EQ(out[5], 0x34);
    EXPECT_EQ(out[7], 0x07);
    EXPECT_EQ(InternetChecksum(out, length), 0);
    EXPECT_EQ(BuildEchoRequest(1, 1, payload, sizeof payload, out, kEchoHeaderSize + 2), 0u);  // too small
}

TEST(IcmpCodec, OnlyTheMatchingSoundReplyCounts) {
    const std::uint8_t payload[] = {1, 2, 3, 4};
    std::uint8_t request[16];
    const std::size_t length = BuildEchoRequest(77, 5, payload, sizeof payload, request, sizeof request);
    auto reply = ReplyTo(request, length);

    EXPECT_TRUE(IsEchoReplyTo(reply.data(), reply.size(), true, 77, 5, payload, sizeof payload));
    EXPECT_FALSE(IsEchoReplyTo(request, length, true, 77, 5, payload, sizeof payload));  // our own request
    EXPECT_FALSE(IsEchoReplyTo(reply.data(), reply.size(), true, 78, 5, payload, sizeof payload));
    EXPECT_TRUE(IsEchoReplyTo(reply.data(), reply.size(), false, 78, 5, payload, sizeof payload));
    EXPECT_FALSE(IsEchoReplyTo(reply.data(), reply.size(), true, 77, 6, payload, sizeof payload));
    EXPECT_FALSE(IsEchoReplyTo(reply.data(), reply.size() - 1, true, 77, 5, payload, sizeof payload));
    const std::uint8_t other[] = {1, 2, 3, 5};
    EXPECT_FALSE(IsEchoReplyTo(reply.data(), reply.size(), true, 77, 5, other, sizeof other));
    reply[9] ^= 0xFF;  // damaged on the way
    EXPECT_FALSE(IsEchoReplyTo(reply.data(), reply.size(), true, 77, 5, payload, sizeof payload));
}

TEST(IcmpCodec, FindsTheMessageBehindTheIpHeader) {
    std::uint8_t packet[40] = {};
    packet[0] = 0x46;  // version 4, 24-byte header with options
    std::size_t length = 0;
    EXPECT_EQ(IcmpInIpPacket(packet, sizeof packet, length), packet + 24);
    EXPECT_EQ(length, 16u);
    packet[0] = 0x45;
    EXPECT_EQ(IcmpInIpPacket(packet, 19, length), nullptr);
    packet[0] = 0x4F;  // header longer than the packet
    EXPECT_EQ(IcmpInIpPacket(packet, 40, length), nullptr);
    packet[0] = 0x65;  // not IPv4
    EXPECT_EQ(IcmpInIpPacket(packet, sizeof packet, length), nullptr);
    packet[0] = 0x42;  // header length below the minimum
    EXPECT_EQ(IcmpInIpPacket(packet, sizeof packet, length), nullptr);
}

}  // namespace
}  // namespace kravent::platform::detail
