// Polling: the repetitive request goes out at once on a start and then once per
// period; stop, reset and period changes; one-shot triggers while polling.
#include <atomic>

#include "tests/connection/connection_fixture.h"

namespace kravent::test {
namespace {

class Polling : public Connection {
protected:
    void SetUp() override {
        Connection::SetUp();
        OpenConnected();
    }
    // Requests the module receives within `window`, from now on.
    std::size_t FramesWithin(std::chrono::milliseconds window) {
        const std::size_t before = TcpFrames();
        WaitTcpFrames(1u << 30, window);
        return TcpFrames() - before;
    }
    bool Settled(std::chrono::milliseconds quiet) { return FramesWithin(quiet) == 0; }
};

TEST_F(Polling, NotStartedPollsNothing) {
    ASSERT_TRUE(Vorn_KRAVENT_Read_POSITION(true, com));
    EXPECT_EQ(FramesWithin(400ms), 0u);
}

TEST_F(Polling, DefaultPeriodGivesAboutTenRequestsASecond) {
    ASSERT_TRUE(Vorn_KRAVENT_Read_POSITION(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(WaitTcpFrames(1, 1s)) << "the first request goes out at once";
    const std::size_t n = FramesWithin(2000ms);
    EXPECT_GE(n, 12u);
    EXPECT_LE(n, 23u);
    EXPECT_GE(host.DataCalls(), 10);
    EXPECT_TRUE(host.LastValues().POSITION_Received);
}

TEST_F(Polling, OneMillisecondPeriodPollsMuchFaster) {
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskSetTime(1, com));
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    EXPECT_GE(FramesWithin(1000ms), 60u);
}

TEST_F(Polling, SlowModuleIsPolledBackToBack) {
    module->GetFaults().delayMs = 250;
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(WaitTcpFrames(1));
    const std::size_t n = FramesWithin(2000ms);
    EXPECT_GE(n, 5u) << "a cycle longer than the period starts the next one at once";
    EXPECT_LE(n, 9u);
}

TEST_F(Polling, StopTakesEffectAfterTheCurrentCycleAndStartResumes) {
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(WaitTcpFrames(3));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStop(com));
    ASSERT_TRUE(Eventually([&] { return Settled(400ms); }, 3s));
    const std::size_t stopped = TcpFrames();
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    EXPECT_TRUE(WaitTcpFrames(stopped + 1, 1s)) << "polling goes on after a new start";
}

TEST_F(Polling, ResetStopsAtOnceAndAStartWithAnEmptySetSendsNothing) {
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(WaitTcpFrames(2));
    const std::size_t atReset = TcpFrames();
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskReset(com));
    EXPECT_LE(FramesWithin(400ms), 1u) << "at most the send already under way";
    const std::size_t afterReset = TcpFrames();
    EXPECT_LE(afterReset, atReset + 1);
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    EXPECT_EQ(FramesWithin(400ms), 0u);
    ASSERT_TRUE(Vorn_KRAVENT_Read_SPEED(true, com));
    EXPECT_TRUE(WaitTcpFrames(afterReset + 1, 1s)) << "polling comes back with the set";
}

TEST_F(Polling, PeriodChangeKeepsPollingRunningOrSuspended) {
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskSetTime(50, com)) << "while suspended";
    EXPECT_EQ(FramesWithin(300ms), 0u) << "stays suspended";

    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(WaitTcpFrames(1));
    EXPECT_GE(FramesWithin(1000ms), 12u) << "50 ms period";
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskSetTime(200, com)) << "while polling";
    const std::size_t n = FramesWithin(2000ms);
    EXPECT_GE(n, 6u) << "still polling";
    EXPECT_LE(n, 13u) << "at the new period";
}

TEST_F(Polling, BadPeriodsAreRefusedAndKeepTheOldOne) {
    EXPECT_FALSE(Vorn_KRAVENT_RepetitiveAskSetTime(0, com));
    EXPECT_EQ(LastError(),
              "Bad value for TimeMiliSec. It's must be positive and bigger than zero\t(Vorn_KRAVENT_SetRepetitiveAskTime)");
    EXPECT_FALSE(Vorn_KRAVENT_RepetitiveAskSetTime(-5, com));
    EXPECT_FALSE(Vorn_KRAVENT_RepetitiveAskSetTime(2000000000, com));
    EXPECT_EQ(LastError(), "Bad value for TimeMiliSec. The timer cannot serve this period\t(Vorn_KRAVENT_SetRepetitiveAskTime)");

    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(WaitTcpFrames(1));
    EXPECT_GE(FramesWithin(1000ms), 6u) << "the 100 ms timer still ticks";
}

TEST_F(Polling, OneShotTriggerDuringPollingWaitsForTheTokenAndIsAnswered) {
    module->GetFaults().delayMs = 40;
    std::atomic<int> typeAnswers{0};
    host.OnData([&](RegisterValues* v, ComID) {
        if (v->TYPE_Received) ++typeAnswers;
    });
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(WaitTcpFrames(2));
    ASSERT_TRUE(Vorn_KRAVENT_Read_TYPE(com));
    ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s)) << LastError();
    EXPECT_TRUE(Eventually([&] { return typeAnswers.load() == 1; }, 3s));

    // One request at a time: every frame the module got was answered before the next.
    const auto frames = TcpFrameBytes();
    bool sawType = false;
    for (const auto& f : frames) sawType = sawType || (f.size() == 9 && f[6] == 0x00);
    EXPECT_TRUE(sawType);
    EXPECT_NE(LastError(), "Event HevSync Timeout reached\t(TThreadSend::Execute)");
}

// A module slower than the polling period keeps the poller running back to back: a
// host's request still gets the token at the end of the poll under way.
TEST_F(Polling, OneShotIsNotStarvedByAPollerRunningBackToBack) {
    module->GetFaults().delayMs = 150;
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskSetTime(20, com));
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(WaitTcpFrames(2));
    // Polling goes on after the test's body: the hook keeps nothing of its frame.
    static std::atomic<bool> answered;
    host.OnData([](RegisterValues* v, ComID) {
        if (v->KP_Written) answered = true;
    });
    for (int i = 0; i < 3; ++i) {
        answered = false;
        ASSERT_TRUE(Vorn_KRAVENT_Write_KP(1.5f, com));
        ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s)) << LastError();
        EXPECT_TRUE(Eventually([&] { return answered.load(); }, 2s)) << i;
    }
    EXPECT_NE(LastError(), "Event HevSync Timeout reached\t(TThreadSend::Execute)");
}

// Each sender takes its own answer on Linux: still, the host's callbacks of all
// connections run one at a time.
TEST_F(Polling, CallbacksOfFourConnectionsPollingAtOneMillisecondNeverOverlap) {
    // Polling goes on after the test's body: the hook keeps nothing of its frame.
    static std::atomic<int> inside;
    static std::atomic<int> most;
    inside = 0;
    most = 0;
    host.OnData([](RegisterValues*, ComID) {
        const int now = ++inside;
        if (now > most) most = now;
        std::this_thread::yield();
        --inside;
    });
    ComID more[3] = {};
    for (ComID& c : more)
        ASSERT_TRUE(Vorn_KRAVENT_OpenConnection_MAINPORT(loopback, &Host::DataReceived, &Host::ComEvent, &c)) << LastError();
    ASSERT_TRUE(host.WaitEvents(4));
    for (ComID c : {com, more[0], more[1], more[2]}) {
        ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskSetTime(1, c));
        ASSERT_TRUE(Vorn_KRAVENT_Read_POSITION(true, c));
        ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(c));
    }
    EXPECT_TRUE(host.WaitData(host.DataCalls() + 1000, 20s));
    EXPECT_EQ(most.load(), 1);
    for (ComID& c : more) Vorn_KRAVENT_CloseConnection(&c);
}

}  // namespace
}  // namespace kravent::test
