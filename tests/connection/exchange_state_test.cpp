// The exchange and the receive side without threads or sockets: the steps a sender and
// the transport take, with the module's bytes handed in and the time given in ms.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "connection/answer_receiver.h"
#include "connection/exchange.h"
#include "protocol/register_map.h"
#include "tests/protocol/test_frames.h"

namespace kravent::test {
namespace {

using Next = Exchange::Next;

const Bytes kVoltage = ReadAnswer({0x07, 0x00, 0x18, 0x00, 0x00});
const Bytes kPosition = ReadAnswer({0x26, 0x00, 0x00, 0x00, 0x09});
const Bytes kWriteConfirmed = ReadAnswer({});

class ExchangeState : public ::testing::Test, protected AnswerReceiver::Sink {
protected:
    void DeliverRecord(const ::RegisterValues& record) override {
        delivered.push_back(record);
        if (inCallback) inCallback();
    }
    void ReportFailure(const ReplyStep& step) override { failures.push_back(step.failure); }

    // The transport hands in the bytes of one notification.
    Next Hear(const Bytes& bytes) {
        return ReceiveNotification([this](auto step) { return step(exchange); }, receiver, bytes.data(), bytes.size(),
                                   *this);
    }
    // What a sender does with the token up to its first packet's send.
    std::uint32_t Ask(SenderRole who, std::initializer_list<const char*> reads, std::uint64_t now,
                      std::initializer_list<const char*> writes = {}) {
        PendingRequests requests;
        for (const char* r : reads) requests.Read(ReadIndex(r));
        const std::int32_t value = 5;
        for (const char* w : writes) requests.Write(WriteIndex(w), &value, sizeof value);
        exchange.TokenTaken(who);
        AssemblePackets(requests, packets, receiver.Record());
        exchange.Load(packets);
        const std::uint32_t number = exchange.Open();
        EXPECT_EQ(exchange.PacketGoesOut(now), 0);
        return number;
    }

    Exchange exchange;
    AnswerReceiver receiver;
    PacketSet packets;
    std::vector<RegisterValues> delivered;
    std::vector<ReplyFailure> failures;
    std::function<void()> inCallback;
};

TEST_F(ExchangeState, AnAnswerInPiecesIsDeliveredOnceWhole) {
    ASSERT_TRUE(exchange.Trigger());
    Ask(SenderRole::OneShot, {"VOLTAGE"}, 0);
    for (std::size_t at = 0; at < kVoltage.size(); at += 3) {
        const std::size_t end = std::min(at + 3, kVoltage.size());
        EXPECT_EQ(Hear(Bytes(kVoltage.begin() + long(at), kVoltage.begin() + long(end))),
                  end == kVoltage.size() ? Next::Deliver : Next::Nothing);
    }
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_TRUE(delivered[0].VOLTAGE_Received);
    EXPECT_EQ(exchange.OpenNumber(), 0u);
    EXPECT_TRUE(exchange.Trigger()) << "the answer freed the trigger";
}

TEST_F(ExchangeState, LateAnswersAndCopiesAreDeliveredApartAndAnswerNothing) {
    Ask(SenderRole::Repetitive, {"POSITION"}, 0);
    EXPECT_EQ(Hear(kVoltage), Next::Nothing) << "a late answer to an earlier request";
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_TRUE(delivered[0].VOLTAGE_Received);
    EXPECT_FALSE(delivered[0].POSITION_Received);

    EXPECT_EQ(Hear(Concat({kPosition, kPosition})), Next::Deliver) << "the answer and a copy in one piece";
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_TRUE(delivered[1].POSITION_Received);
    EXPECT_FALSE(delivered[1].VOLTAGE_Received) << "the stray's flags are not the answer's";
    EXPECT_EQ(delivered[1].VOLTAGE_Value, 24.0f) << "its values are kept";

    EXPECT_EQ(Hear(kPosition), Next::Nothing) << "bytes with no exchange open";
    Ask(SenderRole::Repetitive, {"VOLTAGE"}, 10);
    EXPECT_EQ(Hear(kPosition), Next::Nothing) << "a copy of the previous answer";
    EXPECT_EQ(Hear(kVoltage), Next::Deliver);
    EXPECT_TRUE(delivered.back().VOLTAGE_Received);
    EXPECT_FALSE(delivered.back().POSITION_Received);
}

TEST_F(ExchangeState, WritesAreConfirmedByFramesThatNameNoOtherRegister) {
    Ask(SenderRole::OneShot, {}, 0, {"KP"});
    EXPECT_EQ(Hear(kVoltage), Next::Nothing);
    EXPECT_EQ(Hear(kWriteConfirmed), Next::Deliver);
    Ask(SenderRole::OneShot, {}, 0, {"KP"});
    EXPECT_EQ(Hear(ReadAnswer({0x33, 0x00, 0x05, 0x00, 0x00})), Next::Deliver) << "an echo of the written register";
    Ask(SenderRole::OneShot, {"POSITION"}, 0);
    EXPECT_EQ(Hear(kWriteConfirmed), Next::Nothing) << "an empty answer carries no value that was read";
}

TEST_F(ExchangeState, ChecksumErrorEndsTheExchangeAndALyingLengthSpoilsOneExchangeOnly) {
    Ask(SenderRole::OneShot, {"VOLTAGE"}, 0);
    Bytes bad = kVoltage;
    bad.back() ^= 0x01;
    EXPECT_EQ(Hear(bad), Next::Deliver);
    EXPECT_FALSE(delivered.back().VOLTAGE_Received);
    EXPECT_EQ(failures, std::vector<ReplyFailure>{ReplyFailure::ChecksumError});

    for (const int lie : {-2, +4, +300}) {
        Ask(SenderRole::OneShot, {"POSITION"}, 0);
        Bytes liar = kPosition;
        liar[5] = static_cast<std::uint8_t>(liar[5] + lie);
        wire::PutU16(liar.data() + liar.size() - 2, wire::FrameChecksum(liar.data(), liar.size() - 2));
        Hear(liar);
        exchange.EndUnanswered(exchange.OpenNumber());
        Ask(SenderRole::OneShot, {"VOLTAGE"}, 0);
        EXPECT_EQ(Hear(kVoltage), Next::Deliver) << lie;
        EXPECT_TRUE(delivered.back().VOLTAGE_Received) << lie;
    }
}

TEST_F(ExchangeState, TwoPacketsAreAnsweredOneAfterTheOther) {
    PendingRequests requests;
    requests.AllReads();
    exchange.TokenTaken(SenderRole::OneShot);
    AssemblePackets(requests, packets, receiver.Record());
    ASSERT_EQ(packets.count, 2);
    ASSERT_NE(packets.asked[0].reads & RegisterBit(RegisterIndex("VOLTAGE")), 0u);
    // An answer to the second packet: its first register, value 0.
    std::size_t second = 0;
    while ((packets.asked[1].reads & RegisterBit(static_cast<int>(second))) == 0) ++second;
    const std::uint8_t address = kRegisters[second].address;
    Bytes item{address};
    item.resize(1 + static_cast<std::size_t>(RegisterSize(address)));
    exchange.Load(packets);
    exchange.Open();
    exchange.PacketGoesOut(0);
    EXPECT_EQ(Hear(kVoltage), Next::NextPacket) << "the first packet's answer";
    EXPECT_TRUE(delivered.empty());
    EXPECT_EQ(exchange.PacketGoesOut(5), 1);
    EXPECT_EQ(exchange.AnswerDue(), 5u + kAnswerLimitMs) << "each packet has its own limit";
    EXPECT_EQ(Hear(kVoltage), Next::Nothing) << "not what the second packet asked";
    EXPECT_EQ(Hear(ReadAnswer(item)), Next::Deliver);
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_TRUE(delivered[1].VOLTAGE_Received) << "one record for both packets";
}

TEST_F(ExchangeState, TimeOutEndsTheExchangeAndTheLateAnswerIsAStray) {
    ASSERT_TRUE(exchange.Trigger());
    EXPECT_FALSE(exchange.Trigger()) << "a second trigger while the answer is outstanding";
    const std::uint32_t number = Ask(SenderRole::OneShot, {"VOLTAGE"}, 1000);
    EXPECT_EQ(exchange.AnswerDue(), 1000u + kAnswerLimitMs);
    // The sender's wait ran out: it ends the exchange, and the host may trigger again.
    EXPECT_TRUE(exchange.EndUnanswered(number));
    exchange.AnswerAbandoned();
    EXPECT_EQ(Hear(kVoltage), Next::Nothing);
    EXPECT_EQ(delivered.size(), 1u) << "delivered, as a stray";
    EXPECT_TRUE(exchange.Trigger());
}

TEST_F(ExchangeState, AnAnswerThatClaimedTheExchangeWinsTheRaceWithTheTimeOut) {
    const std::uint32_t number = Ask(SenderRole::OneShot, {"VOLTAGE"}, 0);
    bool endedUnderTheCallback = true;
    Next afterCallback = Next::Nothing;
    // The time-out comes while the host's callback runs on the receiving thread.
    inCallback = [&] { endedUnderTheCallback = exchange.EndUnanswered(number); };
    afterCallback = Hear(kVoltage);
    EXPECT_FALSE(endedUnderTheCallback) << "the answer had claimed it: the sender waits for the acknowledgement";
    EXPECT_EQ(afterCallback, Next::Deliver);
    EXPECT_FALSE(exchange.EndUnanswered(number)) << "ended by its delivery";
}

TEST_F(ExchangeState, TriggerFromInsideTheCallbackIsAccepted) {
    ASSERT_TRUE(exchange.Trigger());
    Ask(SenderRole::OneShot, {"VOLTAGE"}, 0);
    bool accepted = false;
    inCallback = [&] {
        accepted = exchange.Trigger();
        EXPECT_NE(exchange.OpenNumber(), 0u) << "the exchange ends only after the callback";
    };
    EXPECT_EQ(Hear(kVoltage), Next::Deliver);
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(exchange.Trigger()) << "that trigger's answer is now outstanding";
}

TEST_F(ExchangeState, TheTokenGoesBackOnlyFromItsHolder) {
    exchange.TokenTaken(SenderRole::Repetitive);
    EXPECT_FALSE(exchange.ReleaseToken(SenderRole::OneShot));
    EXPECT_EQ(exchange.TokenHolder(), SenderRole::Repetitive);
    EXPECT_TRUE(exchange.ReleaseToken(SenderRole::Repetitive));
    EXPECT_FALSE(exchange.ReleaseToken(SenderRole::Repetitive)) << "a second release sets HevSync no more";
    // A one-shot sender that waits for the token is let through: the poller hears of it.
    exchange.OneShotWaits(true);
    EXPECT_TRUE(exchange.OneShotWaiting());
    exchange.TokenTaken(SenderRole::OneShot);
    EXPECT_FALSE(exchange.OneShotWaiting()) << "it has the token";
    EXPECT_TRUE(exchange.ReleaseToken(SenderRole::OneShot));
    EXPECT_EQ(exchange.TokenHolder(), SenderRole::None);
}

TEST_F(ExchangeState, ANewExchangeDropsWhatIsLeftOfAnEarlierAnswer) {
    // A transport lost mid-answer while polling: half a frame, then the exchange is given up.
    const std::uint32_t lost = Ask(SenderRole::Repetitive, {"POSITION"}, 0);
    Hear(Bytes(kPosition.begin(), kPosition.begin() + 4));
    EXPECT_TRUE(exchange.EndUnanswered(lost));
    // The next one begins on a clean frame.
    Ask(SenderRole::Repetitive, {"VOLTAGE"}, 20);
    EXPECT_EQ(Hear(kVoltage), Next::Deliver);
    EXPECT_TRUE(delivered.back().VOLTAGE_Received);
    EXPECT_TRUE(failures.empty());
}

}  // namespace
}  // namespace kravent::test
