// One-shot exchanges over a real connection: the bytes on the wire, the values and
// flags the host receives, the packets of a large request, time-outs and triggers.
#include <atomic>

#include "protocol/frame.h"
#include "tests/connection/connection_fixture.h"

namespace kravent::test {
namespace {

constexpr const char* kBusyMessage =
    "Call Vorn_KRAVENT_SendData_MAINPORT before receive data of the last call\t(Vorn_KRAVENT_SendData_MAINPORT)";

using Exchange = Connection;

TEST_F(Exchange, ReadVoltageGoesOutAsOneFrameAndComesBackDecoded) {
    OpenConnected();
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com)) << LastError();
    ASSERT_TRUE(host.WaitData(1));

    std::vector<std::uint8_t> expected = {0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x07};
    const std::uint16_t checksum = wire::FrameChecksum(expected.data(), expected.size());
    expected.push_back(static_cast<std::uint8_t>(checksum >> 8));
    expected.push_back(static_cast<std::uint8_t>(checksum & 0xFF));
    const auto frames = TcpFrameBytes();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], expected);

    const RegisterValues v = host.LastValues();
    EXPECT_TRUE(v.VOLTAGE_Received);
    EXPECT_FLOAT_EQ(v.VOLTAGE_Value, 24.0f);
    EXPECT_FALSE(v.TYPE_Received);
}

// The sender goes on only once the host's callback has returned: a trigger accepted
// inside the callback goes out after it, not during it.
TEST_F(Exchange, TriggerFromInsideTheCallbackIsAcceptedAndSentAfterItReturns) {
    OpenConnected();
    std::atomic<bool> accepted{false};
    std::atomic<bool> sentDuringCallback{false};
    host.OnData([&](RegisterValues*, ComID c) {
        if (accepted.exchange(true)) return;
        Vorn_KRAVENT_Read_VOLTAGE(false, c);
        if (!Vorn_KRAVENT_SendData_MAINPORT(c)) accepted = false;
        sentDuringCallback = WaitTcpFrames(2, 300ms);
    });
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
    ASSERT_TRUE(host.WaitData(2)) << LastError();
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(sentDuringCallback);
    EXPECT_EQ(TcpFrames(), 2u);
}

TEST_F(Exchange, SecondTriggerBeforeTheReplyIsRefused) {
    OpenConnected();
    module->GetFaults().delayMs = 300;
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
    EXPECT_FALSE(Vorn_KRAVENT_SendData_MAINPORT(com));
    EXPECT_EQ(LastError(), kBusyMessage);
    ASSERT_TRUE(host.WaitData(1));
    EXPECT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com)) << "accepted again once the reply came";
}

TEST_F(Exchange, AllRegistersGoOutAsTwoPacketsTheSecondAfterTheFirstAnswer) {
    OpenConnected();
    const std::size_t answersBefore = module->GetCounters().answersSent;  // the module test's
    module->GetFaults().delayMs = 200;
    ASSERT_TRUE(Vorn_KRAVENT_Read_AllRegister(com));
    ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
    // The first answer is 200 ms away: the second packet must wait for it, so when it
    // arrives the module has answered already (counters only grow: no timing involved).
    ASSERT_TRUE(WaitTcpFrames(2));
    EXPECT_GE(module->GetCounters().answersSent, answersBefore + 1) << "sent only after the first answer";
    ASSERT_TRUE(host.WaitData(1));
    EXPECT_FALSE(host.WaitData(2, 300ms)) << "one callback, after the last answer";
    const RegisterValues v = host.LastValues();
    EXPECT_TRUE(v.TYPE_Received) << "from the first answer";
    EXPECT_TRUE(v.LIMIT2XINPUT_Received) << "from the second answer";
    EXPECT_EQ(TcpFrames(), 2u);
}

TEST_F(Exchange, SilentModuleTimesOutAndTheNextTriggerIsAnswered) {
    OpenConnected();
    module->GetFaults().silent = true;
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    const auto start = Clock::now();
    ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
    ASSERT_TRUE(Eventually([] { return LastError() == "Event HevAck Timeout reached\t(TThreadSend::Execute)"; }, 10s));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GE(seconds, 2.9);
    EXPECT_LT(seconds, 8.0);
    EXPECT_EQ(host.DataCalls(), 0);

    // The host is not locked out: the next trigger is accepted and answered.
    module->GetFaults().silent = false;
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    // Free again as soon as the sender has ended its cycle, right after the report.
    ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s)) << LastError();
    ASSERT_TRUE(host.WaitData(1));
    EXPECT_TRUE(host.LastValues().VOLTAGE_Received);
}

TEST_F(Exchange, TriggerWithNothingFlaggedSendsNothingAndLeavesTheHostFree) {
    OpenConnected();
    ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
    ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s));
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s));
    ASSERT_TRUE(host.WaitData(1));
    EXPECT_EQ(TcpFrames(), 1u);
}

using ExchangeWithoutSocket = RefusedConnection;

TEST_F(ExchangeWithoutSocket, EveryTriggerReportsTheInactiveSocketAndTheSenderLives) {
    for (int round = 0; round < 2; ++round) {
        Vorn_KRAVENT_GetLastError(nullptr, nullptr);  // overwrites the last error with its own
        ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
        ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 5s)) << "never locked out";
        ASSERT_TRUE(Eventually([] { return LastError() == "EthernetCom->SendData Failed\t(TThreadSend::Execute)"; },
                               5s));
    }
}

TEST_F(Exchange, AfterTheModuleClosedSendsReportTheDeadSocket) {
    ASSERT_NO_FATAL_FAILURE(OpenAndLetTheModuleClose());
    const auto trigger = [&] { return Vorn_KRAVENT_Read_VOLTAGE(false, com) && Vorn_KRAVENT_SendData_MAINPORT(com); };
    for (int round = 0; round < 2; ++round) {
        Vorn_KRAVENT_GetLastError(nullptr, nullptr);  // overwrites the last error with its own
        ASSERT_TRUE(Eventually(trigger, 5s)) << "no trigger locks the host out";
        ASSERT_TRUE(Eventually([] { return LastError() == "EthernetCom->SendData Failed\t(TThreadSend::Execute)"; }, 5s));
    }
}

}  // namespace
}  // namespace kravent::test
