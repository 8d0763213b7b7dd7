// Answers that come when no exchange waits for them, and a polled connection whose
// module has gone: neither may wedge the connection or flood the error log.
#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/connection/connection_fixture.h"

namespace kravent::test {
namespace {

constexpr const char* kOneShotAckTimeout = "Event HevAck Timeout reached\t(TThreadSend::Execute)";

// The error log beside the shared library, and how often `message` stands in it.
std::size_t LogRecordsOf(const std::string& message) {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&Vorn_KRAVENT_VersionDLL), &info) == 0) return 0;
    const auto path = std::filesystem::path(info.dli_fname).parent_path() / "Error_Vorn-KRAVENT_DLLInterface.log";
    std::ifstream file(path, std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string record = "\t" + message + "\r\n\r\n";
    std::size_t count = 0;
    for (std::size_t at = log.find(record); at != std::string::npos; at = log.find(record, at + 1)) ++count;
    return count;
}

class StrayAnswer : public Connection {
protected:
    // One exchange whose answer comes in two pieces, each delivered on its own: the
    // second arrives after the exchange has ended. Then the module falls silent.
    void SplitExchangeThenSilence() {
        OpenConnected();
        module->GetFaults().splitBytes = 8;  // 13 bytes: 8, then 5
        module->GetFaults().splitPauseMs = 100;
        ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
        ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
        ASSERT_TRUE(host.WaitData(2)) << "each piece is delivered";
        EXPECT_TRUE(host.LastValues().VOLTAGE_Received);
        module->GetFaults().silent = true;
    }
};

TEST_F(StrayAnswer, LateAnswerDoesNotAcknowledgeTheNextTrigger) {
    SplitExchangeThenSilence();
    ASSERT_TRUE(Vorn_KRAVENT_Read_TYPE(com));
    ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s)) << LastError();
    ASSERT_TRUE(WaitTcpFrames(2));
    ASSERT_TRUE(Eventually([] { return LastError() == kOneShotAckTimeout; }, 10s)) << "the silence is noticed";

    module->GetFaults().silent = false;
    module->GetFaults().splitBytes = 0;
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s)) << "never locked out";
    EXPECT_TRUE(host.WaitData(3));
}

TEST_F(StrayAnswer, LateAnswerDoesNotEndAPollCycleEarly) {
    SplitExchangeThenSilence();
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskSetTime(10, com));
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(WaitTcpFrames(2));
    EXPECT_FALSE(WaitTcpFrames(3, 1500ms)) << "the first poll still waits for its own answer";
}

// The module closes while polling runs at 1 ms: the host hears of it once, and the log
// gets a few records, not a pair per tick.
TEST_F(Connection, DeadPolledConnectionLogsAFewRecordsNotOnePerTick) {
    const std::string sendFailed = "EthernetCom->SendData Failed\t(TThreadProcess::Execute)";
    const std::size_t before = LogRecordsOf(sendFailed);
    module->GetFaults().closeAfterExchanges = 20;
    OpenConnected();
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskSetTime(1, com));
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(true, com));
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
    ASSERT_TRUE(host.WaitEvent(VORN_KRAVENT_STATE_NOT_CONNECTED));
    ASSERT_TRUE(Eventually([&] { return LogRecordsOf(sendFailed) > before; }, 5s));
    EXPECT_EQ(LastError(), sendFailed);

    std::this_thread::sleep_for(1s);  // a thousand ticks of the timer
    const std::size_t settled = LogRecordsOf(sendFailed);
    EXPECT_LE(settled - before, 6u);
    ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com)) << "a new start reports the dead socket again";
    ASSERT_TRUE(Eventually([&] { return LogRecordsOf(sendFailed) > settled; }, 5s));
    std::this_thread::sleep_for(500ms);
    EXPECT_LE(LogRecordsOf(sendFailed) - settled, 6u);
    EXPECT_EQ(host.Events().back(), VORN_KRAVENT_STATE_NOT_CONNECTED);
}

}  // namespace
}  // namespace kravent::test
