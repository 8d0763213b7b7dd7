// The frame checksum, the worked frames and the value encodings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "protocol/frame.h"
#include "protocol/register_map.h"
#include "protocol/value_codec.h"
#include "test_frames.h"

namespace kravent::test {
namespace {

std::uint16_t Sum(const Bytes& b) { return wire::FrameChecksum(b.data(), b.size()); }

TEST(FrameChecksum, KnownValuesAndZeroConvention) {
    EXPECT_EQ(Sum({'a', 'b', 'c'}), 0x3B9D);
    EXPECT_EQ(Sum({}), 0x0000);
    EXPECT_EQ(Sum({0xFF, 0xFF}), 0x0000);
    EXPECT_EQ(Sum(Bytes(10, 0xFF)), 0x0000);
    EXPECT_EQ(Sum({0x00}), 0xFFFF);
    EXPECT_EQ(Sum(Bytes(7, 0x00)), 0xFFFF);
    EXPECT_EQ(Sum(Bytes(1080, 0x00)), 0xFFFF);
}

TEST(FrameChecksum, OddLengthSumsAsIfAZeroFollowed) {
    const Bytes odd{0x12, 0x34, 0x56};
    EXPECT_EQ(Sum(odd), Sum({0x12, 0x34, 0x56, 0x00}));
    // Carries of a long run fold back in: 540 words of 0x0001 sum their complements.
    Bytes ones;
    for (int i = 0; i < 540; ++i) ones.insert(ones.end(), {0x00, 0x01});
    std::uint32_t s = 540u * 0xFFFEu;
    s = (s >> 16) + (s & 0xFFFF);
    s = (s >> 16) + (s & 0xFFFF);
    EXPECT_EQ(Sum(ones), s);
}

TEST(FrameChecksum, WorkedFrames) {
    EXPECT_EQ(ReadRequest({0x00}), (Bytes{0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xDD}));
    EXPECT_EQ(ReadRequest({}), (Bytes{0x00, 0x21, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDE}));
    EXPECT_EQ(WriteRequest({0x20, 0x01}), (Bytes{0x00, 0x22, 0x00, 0x00, 0x00, 0x02, 0x20, 0x01, 0xDF, 0xDA}));
    EXPECT_EQ(ReadAnswer({0x07, 0x00, 0x18, 0x00, 0x00}),
              (Bytes{0x00, 0x23, 0x00, 0x00, 0x00, 0x05, 0x07, 0x00, 0x18, 0x00, 0x00, 0xE0, 0xD7}));
}

TEST(FrameChecksum, CloseFrameAndMatch) {
    std::uint8_t frame[16] = {};
    wire::WriteHeader(frame, wire::kReadRequest);
    frame[6] = 0x00;
    EXPECT_EQ(wire::CloseFrame(frame, 1), 9u);
    EXPECT_EQ(Bytes(frame, frame + 9), ReadRequest({0x00}));
    EXPECT_TRUE(wire::ChecksumMatches(frame, 1));
    frame[8] ^= 1;
    EXPECT_FALSE(wire::ChecksumMatches(frame, 1));
}

std::uint32_t FixedOut(float f) { return static_cast<std::uint32_t>(wire::Fixed16_16ToWire(f)); }

TEST(ValueCodec, Fixed16_16Write) {
    EXPECT_EQ(FixedOut(1.5f), 0x00018000u);
    EXPECT_EQ(FixedOut(-1.0f), 0xFFFF0000u);
    EXPECT_EQ(FixedOut(0.00001f), 0u);
    EXPECT_EQ(FixedOut(-0.00001f), 0u);
    EXPECT_EQ(FixedOut(40000.0f), static_cast<std::uint32_t>(40000ull * 65536ull));  // modulo 2^32
    EXPECT_EQ(FixedOut(std::numeric_limits<float>::quiet_NaN()), 0u);
    EXPECT_EQ(FixedOut(1e30f), 0u);
    EXPECT_EQ(FixedOut(-1e30f), 0u);
}

TEST(ValueCodec, Fixed16_16Read) {
    EXPECT_EQ(wire::Fixed16_16FromWire(0x00018000), 1.5f);
    EXPECT_EQ(wire::Fixed16_16FromWire(static_cast<std::int32_t>(0xFFFF0000u)), -1.0f);
    EXPECT_EQ(wire::Fixed16_16FromWire(std::numeric_limits<std::int32_t>::min()), -32768.0f);
    EXPECT_EQ(wire::Fixed16_16FromWire(0x7FFFFFFF), 32768.0f);
    EXPECT_EQ(wire::Fixed16_16FromWire(1), 1.0f / 65536.0f);
}

TEST(ValueCodec, ByteBitSetAndHoming) {
    std::uint8_t out[4] = {};
    const std::int32_t v300 = 300;
    wire::EncodeValue(Encoding::Byte, &v300, out);
    EXPECT_EQ(out[0], 0x2C);

    std::uint8_t bits[32] = {};
    bits[0] = 2;  // lowest bit 0: sent as 0
    bits[1] = 3;
    bits[31] = 1;
    wire::EncodeValue(Encoding::BitSet, bits, out);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0x80, 0x00, 0x00, 0x02}));

    const wire::HomingValue h{0x1F, true, 2, 3, 4, 0x15};
    wire::EncodeValue(Encoding::HomingOptions, &h, out);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{0x00, 0x54, 0x32, 0x8F}));
    const wire::HomingValue back = wire::HomingFromWord(0xFF54328Fu);
    EXPECT_EQ(back.nibble0, 0xF);
    EXPECT_TRUE(back.bit7);
    EXPECT_EQ(back.nibble2, 2);
    EXPECT_EQ(back.nibble5, 5);
}

TEST(RegisterMap, SizesByAddress) {
    EXPECT_EQ(RegisterSize(0x02), 0);
    EXPECT_EQ(RegisterSize(0x4A), 0);
    EXPECT_EQ(RegisterSize(0x14), 1);
    EXPECT_EQ(RegisterSize(0x59), 1);
    EXPECT_EQ(RegisterSize(0x22), 4);
    EXPECT_EQ(RegisterSize(0x48), 4);
    EXPECT_EQ(RegisterSize(0x11), 6);
    EXPECT_EQ(RegisterSize(0x15), 16);
    for (const int unknown : {0x09, 0x29, 0x44, 0x5C, 0xFF}) EXPECT_EQ(RegisterSize(static_cast<std::uint8_t>(unknown)), -1);
}

}  // namespace
}  // namespace kravent::test
