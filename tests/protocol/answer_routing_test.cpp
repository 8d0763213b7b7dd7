// Which received frames answer the exchange under way: a connection driven through the
// steps its sender takes, with the module's bytes handed in directly.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "protocol/answer_match.h"
#include "protocol_support.h"

namespace kravent::test {
namespace {

const Bytes kVoltage = ReadAnswer({0x07, 0x00, 0x18, 0x00, 0x00});
const Bytes kPosition = ReadAnswer({0x26, 0x00, 0x00, 0x00, 0x09});
const Bytes kWriteConfirmed = ReadAnswer({});

std::vector<RegisterValues> gDelivered;
void VORN_KRAVENT_CALL Record(RegisterValues* values, ComID) { gDelivered.push_back(*values); }
void VORN_KRAVENT_CALL Ignore(int32_t, ComID) {}

class AnswerRouting : public ::testing::Test {
protected:
    void SetUp() override {
        gDelivered.clear();
        c.SetCallbacks(&Record, &Ignore);
    }
    // What a sender does up to the first packet's send (there is no transport).
    void Ask(const char* reg, bool write = false) {
        if (write) {
            const std::int32_t value = 5;
            c.RequestWrite(WriteIndex(reg), &value, sizeof value);
        } else {
            c.RequestRead(ReadIndex(reg));
        }
        c.FillPacketToSend();
        c.BeginExchange();
        c.SendPacket(0);
    }
    bool Receive(const Bytes& bytes) { return c.ReceivedRawData(bytes.data(), bytes.size()); }

    CComManagement c;
};

TEST_F(AnswerRouting, AnAnswerInPiecesEndsTheExchangeOnlyWhenWhole) {
    Ask("VOLTAGE");
    for (std::size_t at = 0; at < kVoltage.size(); at += 3) {
        const std::size_t end = std::min(at + 3, kVoltage.size());
        EXPECT_EQ(Receive(Bytes(kVoltage.begin() + long(at), kVoltage.begin() + long(end))), end == kVoltage.size());
    }
    EXPECT_TRUE(c.Values().VOLTAGE_Received);
    EXPECT_TRUE(gDelivered.empty()) << "pieces are not delivered on their own";
}

TEST_F(AnswerRouting, LateAnswerOrCopyIsDeliveredApartAndAnswersNothing) {
    Ask("POSITION");
    EXPECT_FALSE(Receive(kVoltage)) << "a late answer to an earlier request";
    ASSERT_EQ(gDelivered.size(), 1u);
    EXPECT_TRUE(gDelivered[0].VOLTAGE_Received);
    EXPECT_FALSE(gDelivered[0].POSITION_Received);

    EXPECT_TRUE(Receive(Concat({kPosition, kPosition})));
    EXPECT_TRUE(c.Values().POSITION_Received);
    EXPECT_FALSE(c.Values().VOLTAGE_Received) << "the stray's flags are not the answer's";
    EXPECT_EQ(c.Values().VOLTAGE_Value, 24.0f) << "its values are kept";

    Ask("VOLTAGE");
    EXPECT_FALSE(Receive(kPosition)) << "a copy of the previous answer";
    EXPECT_TRUE(Receive(kVoltage));
    EXPECT_TRUE(c.Values().VOLTAGE_Received);
    EXPECT_FALSE(c.Values().POSITION_Received);
}

TEST_F(AnswerRouting, WritesAreConfirmedByFramesThatNameNoOtherRegister) {
    Ask("KP", true);
    EXPECT_FALSE(Receive(kVoltage));
    EXPECT_TRUE(Receive(kWriteConfirmed));
    Ask("KP", true);
    EXPECT_TRUE(Receive(ReadAnswer({0x33, 0x00, 0x05, 0x00, 0x00}))) << "an echo of the written register";
    Ask("POSITION");
    EXPECT_FALSE(Receive(kWriteConfirmed)) << "an empty answer carries no value that was read";
}

TEST_F(AnswerRouting, ChecksumErrorEndsTheExchange) {
    Ask("VOLTAGE");
    Bytes bad = kVoltage;
    bad.back() ^= 0x01;
    EXPECT_TRUE(Receive(bad));
    EXPECT_FALSE(c.Values().VOLTAGE_Received);
}

// One answer whose length field lies (its checksum right): the next exchange decodes.
TEST_F(AnswerRouting, LyingLengthSpoilsOneExchangeOnly) {
    for (const int lie : {-2, +4, +300}) {
        Ask("POSITION");
        Bytes liar = kPosition;
        liar[5] = static_cast<std::uint8_t>(liar[5] + lie);
        wire::PutU16(liar.data() + liar.size() - 2, wire::FrameChecksum(liar.data(), liar.size() - 2));
        Receive(liar);
        Ask("VOLTAGE");
        EXPECT_TRUE(Receive(kVoltage)) << lie;
        EXPECT_TRUE(c.Values().VOLTAGE_Received) << lie;
    }
}

TEST(AnswerMatch, PacketsNameWhatTheyAsk) {
    // Read TYPE and VOLTAGE, then write REGULATIONMODE and the command RESETCPU.
    PendingRequests requests;
    requests.Read(ReadIndex("TYPE"));
    requests.Read(ReadIndex("VOLTAGE"));
    const std::int32_t mode = 1;
    requests.Write(WriteIndex("REGULATIONMODE"), &mode, sizeof mode);
    requests.Write(WriteIndex("RESETCPU"), nullptr, 0);
    PacketSet packets;
    RegisterValues record{};
    AssemblePackets(requests, packets, record);
    ASSERT_EQ(packets.count, 1);
    const AskedRegisters asked = packets.asked[0];
    const auto bit = [](const char* name) { return RegisterBit(RegisterIndex(name)); };
    EXPECT_EQ(asked.reads, bit("TYPE") | bit("VOLTAGE"));
    EXPECT_EQ(asked.writes, bit("REGULATIONMODE") | bit("RESETCPU"));
    const Bytes unknownFirst = ReadAnswer({0x09, 0x07, 0x00, 0x18, 0x00, 0x00});
    EXPECT_FALSE(FrameAnswers(asked, unknownFirst.data(), unknownFirst.size() - 2));
}

}  // namespace
}  // namespace kravent::test
