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

// An answer that TCP splits into pieces of 3 bytes ends its exchange once, whole: the
// host's one callback carries both values.
TEST_F(Connection, AnswerInPiecesIsDeliveredOnceWhole) {
    OpenConnected();
    module->GetFaults().splitBytes = 3;
    for (int exchange = 1; exchange <= 2; ++exchange) {
        ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
        ASSERT_TRUE(Vorn_KRAVENT_Read_KP(com));
        ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s)) << LastError();
        ASSERT_TRUE(host.WaitData(exchange));
        EXPECT_TRUE(host.LastValues().VOLTAGE_Received);
        EXPECT_TRUE(host.LastValues().KP_Received);
    }
    EXPECT_EQ(host.DataCalls(), 2);
}

// An answer that comes after its exchange gave up is not taken for the next request's:
// it reaches the host apart, and the next request ends on its own answer.
TEST_F(Connection, LateAnswerIsNotTakenForTheNextRequest) {
    OpenConnected();
    module->GetFaults().delayMs = 4000;
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
    ASSERT_TRUE(Eventually([] { return LastError() == kOneShotAckTimeout; }, 10s));
    module->GetFaults().delayMs = 0;
    ASSERT_TRUE(Vorn_KRAVENT_Read_POSITION(false, com));
    ASSERT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s)) << LastError();
    ASSERT_TRUE(host.WaitData(2, 10s));
    EXPECT_TRUE(host.LastValues().POSITION_Received);
    EXPECT_FALSE(host.LastValues().VOLTAGE_Received);
    ASSERT_TRUE(Vorn_KRAVENT_Read_TYPE(com));
    EXPECT_TRUE(Eventually([&] { return Vorn_KRAVENT_SendData_MAINPORT(com); }, 2s)) << "the next trigger is taken";
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
