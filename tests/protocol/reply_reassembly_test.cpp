// The reply reassembly: frames by their length fields, checksum errors, decoding into
// the RegisterValues record, and the mends for oversize frames and cut items.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "protocol/reply_reassembly.h"
#include "test_frames.h"

namespace kravent::test {
namespace {

const Bytes kVoltage24 = {0x00, 0x23, 0x00, 0x00, 0x00, 0x05, 0x07, 0x00, 0x18, 0x00, 0x00, 0xE0, 0xD7};

// One answer with every readable register, in read-list order.
Bytes AllRegistersPayload() {
    return Concat({
        {0x00, 0x00, 0x02, 0x00, 0x02},                                                        // TYPE 2/2
        {0x01, 0x01, 0x02, 0xFF, 0xFE},                                                        // VERSION
        {0x07, 0x00, 0x18, 0x00, 0x00},                                                        // VOLTAGE 24
        {0x08, 0x80, 0x00, 0x00, 0x01},                                                        // WARNINGS
        {0x10, 0x00, 0x00, 0x00, 0x04},                                                        // COMMUNICATIONOPTIONS
        {0x11, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xFF},                                            // ETHERNETMAC
        {0x12, 0xC0, 0xA8, 0x00, 0x0A},                                                        // IPADDRESS
        {0x13, 0xFF, 0xFF, 0x00, 0x00},                                                        // SUBNETMASK
        {0x14, 0xC8},                                                                          // TCPTIMEOUT
        {0x15, 'M', 'o', 'd', 'u', 'l', 'e', 0, '1', '2', '3', '4', '5', '6', '7', '8', '9'},  // MODULENAME
        {0x1A, 0x03},                                                                          // TCPCONNECTIONSOPENED
        {0x20, 0x04},                                                                          // REGULATIONMODE
        {0x21, 0xFF, 0xFF, 0xFF, 0xFE},                                                        // INPUT
        {0x24, 0x80, 0x00, 0x00, 0x00},                                                        // INPUTMIN
        {0x25, 0x7F, 0xFF, 0xFF, 0xFF},                                                        // INPUTMAX
        {0x26, 0x00, 0x00, 0x01, 0x00},                                                        // POSITION
        {0x28, 0xFF, 0xFF, 0xFF, 0x9C},                                                        // SPEED
        {0x2A, 0x00, 0x01, 0x80, 0x00},                                                        // CURRENTMAX
        {0x2C, 0x40, 0x00, 0x00, 0x00},                                                        // OPTIONS
        {0x2D, 0xFF},                                                                          // LOOPTIME
        {0x2E, 0xFF, 0xFF, 0x00, 0x00},                                                        // OUPUTVOLTAGEMAX
        {0x30, 0x00, 0x00, 0x00, 0x01},                                                        // DESIRED
        {0x31, 0x00, 0x00, 0x00, 0x02},                                                        // FEEDBACK
        {0x32, 0x00, 0x00, 0x00, 0x03},                                                        // COMMAND
        {0x33, 0x7F, 0xFF, 0xFF, 0xFF},                                                        // KP
        {0x34, 0x80, 0x00, 0x00, 0x00},                                                        // KI
        {0x35, 0x00, 0x00, 0x00, 0x01},                                                        // KD
        {0x36, 0x00, 0x00, 0x00, 0x0A},                                                        // ANTIRESETWINDUP
        {0x37, 0x00, 0x00, 0x00, 0x0B},                                                        // INTEGRALDELTA
        {0x38, 0x00, 0x00, 0x00, 0x0C},                                                        // DERIVATIONOFDELTA
        {0x40, 0x00, 0x00, 0x00, 0x0D},                                                        // ACCELERATION
        {0x41, 0x00, 0x00, 0x00, 0x0E},                                                        // DECELERATION
        {0x42, 0x00, 0x00, 0x00, 0x0F},                                                        // TOPSPEED
        {0x43, 0x00, 0x00, 0x00, 0x10},                                                        // DEADZONE
        {0x48, 0xFF, 0x54, 0x32, 0x8F},                                                        // HOMINGOPTIONS
        {0x4B, 0x00, 0x00, 0x00, 0x11},                                                        // HOMINGPOSITION
        {0x4C, 0x00, 0x00, 0x00, 0x12},                                                        // HOMINGINPUT
        {0x50, 0x00, 0x00, 0x00, 0x13},                                                        // LIMIT1SETUP
        {0x51, 0x01},                                                                          // LIMIT1REGULATIONMODE
        {0x52, 0x00, 0x00, 0x00, 0x14},                                                        // LIMIT1POSITION
        {0x53, 0x00, 0x00, 0x00, 0x15},                                                        // LIMIT1XINPUT
        {0x58, 0x00, 0x00, 0x00, 0x16},                                                        // LIMIT2SETUP
        {0x59, 0x02},                                                                          // LIMIT2REGULATIONMODE
        {0x5A, 0x00, 0x00, 0x00, 0x17},                                                        // LIMIT2POSITION
        {0x5B, 0x00, 0x00, 0x00, 0x18},                                                        // LIMIT2XINPUT
    });
}

// A reassembler, the record it decodes into, and the failures it reported.
struct Receiver {
    ReplyReassembler reassembler;
    ::RegisterValues RegisterValues{};
    std::vector<ReplyStep> failures;

    void Receive(const Bytes& bytes) {
        for (std::size_t at = 0; at < bytes.size();) {
            const ReplyStep step = reassembler.Take(bytes.data() + at, bytes.size() - at);
            at += step.taken;
            if (step.failure != ReplyFailure::None) failures.push_back(step);
            if (step.frame == nullptr || step.failure != ReplyFailure::None) continue;
            const ReplyFailure decoding = DecodeAnswerFrame(step.frame, step.frameLength, RegisterValues);
            if (decoding != ReplyFailure::None) failures.push_back({.failure = decoding});
        }
    }
    ReplyFailure LastFailure() const { return failures.empty() ? ReplyFailure::None : failures.back().failure; }
};

Bytes RecordBytes(const Receiver& c) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&c.RegisterValues);
    return Bytes(p, p + sizeof c.RegisterValues);
}

int ReceivedCount(const Receiver& c) {
    const RegisterValues& r = c.RegisterValues;
    const bool flags[] = {
        r.TYPE_Received, r.VERSION_Received, r.VOLTAGE_Received, r.WARNINGS_Received,
        r.COMMUNICATIONOPTIONS_Received, r.ETHERNETMAC_Received, r.IPADDRESS_Received, r.SUBNETMASK_Received,
        r.TCPTIMEOUT_Received, r.MODULENAME_Received, r.TCPCONNECTIONSOPENED_Received, r.REGULATIONMODE_Received,
        r.INPUT_Received, r.INPUTMIN_Received, r.INPUTMAX_Received, r.POSITION_Received, r.SPEED_Received,
        r.CURRENTMAX_Received, r.OPTIONS_Received, r.LOOPTIME_Received, r.OUPUTVOLTAGEMAX_Received,
        r.DESIRED_Received, r.FEEDBACK_Received, r.COMMAND_Received, r.KP_Received, r.KI_Received, r.KD_Received,
        r.ANTIRESETWINDUP_Received, r.INTEGRALDELTA_Received, r.DERIVATIONOFDELTA_Received, r.ACCELERATION_Received,
        r.DECELERATION_Received, r.TOPSPEED_Received, r.DEADZONE_Received, r.HOMINGOPTIONS_Received,
        r.HOMINGPOSITION_Received, r.HOMINGINPUT_Received, r.LIMIT1SETUP_Received, r.LIMIT1REGULATIONMODE_Received,
        r.LIMIT1POSITION_Received, r.LIMIT1XINPUT_Received, r.LIMIT2SETUP_Received, r.LIMIT2REGULATIONMODE_Received,
        r.LIMIT2POSITION_Received, r.LIMIT2XINPUT_Received};
    static_assert(sizeof flags == 45);
    int n = 0;
    for (const bool f : flags) n += f ? 1 : 0;
    return n;
}

TEST(ReplyDecoding, EveryReadableRegisterLandsInItsNamedFields) {
    Receiver c;
    c.Receive(ReadAnswer(AllRegistersPayload()));
    const RegisterValues& r = c.RegisterValues;
    EXPECT_EQ(ReceivedCount(c), 45);
    EXPECT_EQ(r.TYPE_ValueHigh, 2);
    EXPECT_EQ(r.TYPE_ValueLow, 2);
    EXPECT_EQ(r.VERSION_ValueHigh, 0x0102);
    EXPECT_EQ(r.VERSION_ValueLow, 0xFFFE);
    EXPECT_EQ(r.VOLTAGE_Value, 24.0f);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(r.WARNINGS_Bits[i], i == 31 || i == 0) << i;
        EXPECT_EQ(r.COMMUNICATIONOPTIONS_Bits[i], i == 2) << i;
        EXPECT_EQ(r.OPTIONS_Bits[i], i == 30) << i;
    }
    const int mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xFF};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(r.ETHERNETMAC_Bytes[k], mac[k]);
    const int ip[4] = {192, 168, 0, 10}, mask[4] = {255, 255, 0, 0};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(r.IPADDRESS_Bytes[k], ip[k]);
        EXPECT_EQ(r.SUBNETMASK_Bytes[k], mask[k]);
    }
    EXPECT_EQ(r.TCPTIMEOUT_Value, 200);
    EXPECT_EQ(0, std::memcmp(r.MODULENAME_Text, "Module\0" "123456789", 16));
    EXPECT_EQ(r.TCPCONNECTIONSOPENED_Value, 3);
    EXPECT_EQ(r.REGULATIONMODE_Value, 4);
    EXPECT_EQ(r.INPUT_Value, -2);
    EXPECT_EQ(r.INPUTMIN_Value, INT_MIN);
    EXPECT_EQ(r.INPUTMAX_Value, INT_MAX);
    EXPECT_EQ(r.POSITION_Value, 256);
    EXPECT_EQ(r.SPEED_Value, -100);
    EXPECT_EQ(r.CURRENTMAX_Value, 1.5f);
    EXPECT_EQ(r.LOOPTIME_Value, 255);
    EXPECT_EQ(r.OUPUTVOLTAGEMAX_Value, -1.0f);
    EXPECT_EQ(r.DESIRED_Value, 1);
    EXPECT_EQ(r.FEEDBACK_Value, 2);
    EXPECT_EQ(r.COMMAND_Value, 3);
    EXPECT_EQ(r.KP_Value, 32768.0f);
    EXPECT_EQ(r.KI_Value, -32768.0f);
    EXPECT_EQ(r.KD_Value, 1.0f / 65536.0f);
    EXPECT_EQ(r.ANTIRESETWINDUP_Value, 10);
    EXPECT_EQ(r.INTEGRALDELTA_Value, 11);
    EXPECT_EQ(r.DERIVATIONOFDELTA_Value, 12);
    EXPECT_EQ(r.ACCELERATION_Value, 13);
    EXPECT_EQ(r.DECELERATION_Value, 14);
    EXPECT_EQ(r.TOPSPEED_Value, 15);
    EXPECT_EQ(r.DEADZONE_Value, 16);
    EXPECT_EQ(r.HOMINGOPTIONS_HomingNibble0, 0xF);
    EXPECT_TRUE(r.HOMINGOPTIONS_HomingBit7);
    EXPECT_EQ(r.HOMINGOPTIONS_HomingNibble2, 2);
    EXPECT_EQ(r.HOMINGOPTIONS_HomingNibble3, 3);
    EXPECT_EQ(r.HOMINGOPTIONS_HomingNibble4, 4);
    EXPECT_EQ(r.HOMINGOPTIONS_HomingNibble5, 5);
    EXPECT_EQ(r.HOMINGPOSITION_Value, 17);
    EXPECT_EQ(r.HOMINGINPUT_Value, 18);
    EXPECT_EQ(r.LIMIT1SETUP_Value, 19);
    EXPECT_EQ(r.LIMIT1REGULATIONMODE_Value, 1);
    EXPECT_EQ(r.LIMIT1POSITION_Value, 20);
    EXPECT_EQ(r.LIMIT1XINPUT_Value, 21);
    EXPECT_EQ(r.LIMIT2SETUP_Value, 22);
    EXPECT_EQ(r.LIMIT2REGULATIONMODE_Value, 2);
    EXPECT_EQ(r.LIMIT2POSITION_Value, 23);
    EXPECT_EQ(r.LIMIT2XINPUT_Value, 24);
}

TEST(ReplyDecoding, ClearedRecordHoldsOnlyTheNewAnswer) {
    Receiver c;
    c.RegisterValues.TYPE_Received = true;  // left over from an earlier exchange
    ClearReceivedFlags(c.RegisterValues);
    c.Receive(kVoltage24);
    EXPECT_EQ(c.RegisterValues.VOLTAGE_Value, 24.0f);
    EXPECT_TRUE(c.RegisterValues.VOLTAGE_Received);
    EXPECT_EQ(ReceivedCount(c), 1);
}

TEST(ReplyDecoding, FixedPointExtremes) {
    Receiver c;
    c.Receive(ReadAnswer({0x07, 0x7F, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(c.RegisterValues.VOLTAGE_Value, 32768.0f);
    c.Receive(ReadAnswer({0x07, 0x80, 0x00, 0x00, 0x00}));
    EXPECT_EQ(c.RegisterValues.VOLTAGE_Value, -32768.0f);
}

TEST(ReplyDecoding, RegisterTwiceInOneFrameKeepsTheLaterValue) {
    Receiver c;
    c.Receive(ReadAnswer({0x26, 0, 0, 0, 1, 0x26, 0, 0, 0, 2}));
    EXPECT_EQ(c.RegisterValues.POSITION_Value, 2);
}

TEST(ReplyDecoding, UnknownAddressStopsTheWalkAndKeepsEarlierValues) {
    Receiver c;
    c.Receive(ReadAnswer({0x07, 0x00, 0x18, 0x00, 0x00, 0x22, 0x00, 0x00, 0x02, 0x00, 0x02}));
    EXPECT_TRUE(c.RegisterValues.VOLTAGE_Received);
    EXPECT_EQ(c.RegisterValues.VOLTAGE_Value, 24.0f);
    EXPECT_FALSE(c.RegisterValues.TYPE_Received);
    EXPECT_EQ(c.LastFailure(), ReplyFailure::UnknownRegister);

    for (const int notReadable : {0x02, 0x09, 0x27, 0x49, 0x5C, 0xFF}) {
        Receiver d;
        d.Receive(ReadAnswer({static_cast<std::uint8_t>(notReadable), 0x00, 0x00, 0x00, 0x02, 0x00, 0x02}));
        EXPECT_EQ(ReceivedCount(d), 0) << notReadable;
    }
}

TEST(ReplyDecoding, ItemCutByTheEndOfThePayloadIsNotDecoded) {
    Receiver c;
    c.RegisterValues.VOLTAGE_Value = -5.0f;
    // TYPE complete, VOLTAGE with two of its four value bytes; the checksum follows.
    c.Receive(ReadAnswer({0x00, 0x00, 0x02, 0x00, 0x02, 0x07, 0x00, 0x18}));
    EXPECT_TRUE(c.RegisterValues.TYPE_Received);
    EXPECT_FALSE(c.RegisterValues.VOLTAGE_Received);
    EXPECT_EQ(c.RegisterValues.VOLTAGE_Value, -5.0f);
    EXPECT_EQ(c.LastFailure(), ReplyFailure::ValueIncomplete);
    // A frame ending with a bare address byte.
    c.Receive(ReadAnswer({0x15}));
    EXPECT_FALSE(c.RegisterValues.MODULENAME_Received);
}

TEST(ReplyReassembly, ChecksumErrorsAreCountedAndTheStreamGoesOn) {
    Receiver c;
    Bytes bad = kVoltage24;
    bad.back() ^= 0x01;
    c.Receive(bad);
    EXPECT_EQ(c.reassembler.ChecksumErrors(), 1);
    EXPECT_FALSE(c.RegisterValues.VOLTAGE_Received);
    EXPECT_EQ(c.LastFailure(), ReplyFailure::ChecksumError);

    c.Receive(kVoltage24);
    EXPECT_TRUE(c.RegisterValues.VOLTAGE_Received);
    c.Receive(bad);
    ASSERT_EQ(c.failures.size(), 2u);
    EXPECT_EQ(c.failures[1].number, 2);
}

TEST(ReplyReassembly, AnswerCutAtEveryByteBoundaryGivesTheSameRecord) {
    const Bytes answer = ReadAnswer(AllRegistersPayload());
    Receiver whole;
    whole.Receive(answer);
    const Bytes expected = RecordBytes(whole);

    for (std::size_t cut = 0; cut <= answer.size(); ++cut) {
        Receiver c;
        c.Receive(Bytes(answer.begin(), answer.begin() + static_cast<long>(cut)));
        c.Receive(Bytes(answer.begin() + static_cast<long>(cut), answer.end()));
        ASSERT_EQ(RecordBytes(c), expected) << "cut at " << cut;
        EXPECT_EQ(c.reassembler.Held(), 0u);
    }
    Receiver bytewise;
    for (const std::uint8_t b : answer) bytewise.Receive({b});
    EXPECT_EQ(RecordBytes(bytewise), expected);
}

TEST(ReplyReassembly, SeveralFramesInOneNotification) {
    Receiver c;
    c.Receive(Concat({kVoltage24, ReadAnswer({}), Frame(0x0021, {0x26, 0, 0, 0, 9}), Frame(0x0024, {0x21, 0, 0, 0, 1}),
                       ReadAnswer({0x00, 0x00, 0x02, 0x00, 0x02})}));
    EXPECT_TRUE(c.RegisterValues.VOLTAGE_Received);
    EXPECT_TRUE(c.RegisterValues.TYPE_Received);
    EXPECT_EQ(ReceivedCount(c), 2);  // the empty answer and the other types give nothing
    EXPECT_EQ(c.reassembler.Held(), 0u);
}

TEST(ReplyReassembly, ChunksOfAnyLength) {
    // 60 answers of 13 bytes, 780 bytes in one notification.
    Bytes stream;
    for (std::uint8_t v = 1; v <= 60; ++v) stream = Concat({stream, ReadAnswer({0x26, 0, 0, 0, v})});
    Receiver c;
    c.Receive(stream);
    EXPECT_EQ(c.RegisterValues.POSITION_Value, 60);
}

// A header no answer can have is refused at once: its bytes are searched for the next
// header instead of being skipped, so one wrong length cannot hide the answers behind
// it. A refused stretch is reported once.
TEST(ReplyReassembly, OversizeHeaderIsRefusedAtOnce) {
    for (const std::uint16_t n : {std::uint16_t{1073}, std::uint16_t{14752}, std::uint16_t{0xFFFF}}) {
        Receiver c;
        const Bytes header{0x00, 0x23, 0x00, 0x00, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
        c.Receive(Concat({header, header, kVoltage24}));
        EXPECT_TRUE(c.RegisterValues.VOLTAGE_Received) << n;
        EXPECT_EQ(c.reassembler.ChecksumErrors(), 0);
        EXPECT_EQ(c.reassembler.Held(), 0u);
        ASSERT_EQ(c.failures.size(), 1u);
        EXPECT_EQ(c.failures[0].failure, ReplyFailure::FrameTooLong);
        EXPECT_EQ(c.failures[0].number, n);
    }
}

// An answer whose length field is a little short or long, checksum right: what is left
// over is dropped when the next exchange begins, and its answer decodes.
TEST(ReplyReassembly, LyingLengthCostsOneAnswer) {
    for (const int lie : {-2, +4}) {
        Receiver c;
        Bytes liar = ReadAnswer({0x26, 0, 0, 0, 7, 0x07, 0x00, 0x18, 0x00, 0x00});
        liar[5] = static_cast<std::uint8_t>(liar[5] + lie);
        wire::PutU16(liar.data() + liar.size() - 2, wire::FrameChecksum(liar.data(), liar.size() - 2));
        c.Receive(liar);
        c.reassembler.DropPartial();
        c.Receive(ReadAnswer({0x26, 0, 0, 0, 9}));
        EXPECT_TRUE(c.RegisterValues.POSITION_Received) << lie;
        EXPECT_EQ(c.RegisterValues.POSITION_Value, 9) << lie;
        EXPECT_EQ(c.reassembler.Held(), 0u);
    }
}

TEST(ReplyReassembly, LargestFrameThatFitsIsDecoded) {
    // 1072 payload bytes: 214 TYPE items and one TCPTIMEOUT item; 1080 bytes in all.
    Bytes payload;
    for (int i = 0; i < 214; ++i) payload = Concat({payload, {0x00, 0x00, 0x02, 0x00, 0x03}});
    payload = Concat({payload, {0x14, 0x2A}});
    const Bytes frame = ReadAnswer(payload);
    ASSERT_EQ(frame.size(), 1080u);
    Receiver c;
    c.Receive(Concat({frame, kVoltage24}));
    EXPECT_EQ(c.RegisterValues.TYPE_ValueLow, 3);
    EXPECT_EQ(c.RegisterValues.TCPTIMEOUT_Value, 0x2A);
    EXPECT_TRUE(c.RegisterValues.VOLTAGE_Received);
}

}  // namespace
}  // namespace kravent::test
