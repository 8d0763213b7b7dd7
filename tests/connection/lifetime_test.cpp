// Opening and closing: the order of the open's checks, the socket events the host
// sees, handles the library does not hold, closing from inside callbacks, and that a
// closed connection leaves no thread and no descriptor behind.
#include <atomic>
#include <future>
#include <thread>

#include "tests/connection/connection_fixture.h"

namespace kravent::test {
namespace {

constexpr const char* kOpenTail = "\t(Vorn_KRAVENT_OpenConnection_MAINPORT)";

std::string OpenMessage(const char* head) { return std::string(head) + kOpenTail; }

using Lifetime = Connection;

TEST_F(Lifetime, OpenChecksItsArgumentsInOrder) {
    const int32_t high[4] = {192, 168, 0, 256};
    const int32_t negative[4] = {-1, 0, 0, 1};
    ComID handle = nullptr;
    EXPECT_FALSE(Vorn_KRAVENT_OpenConnection_MAINPORT(nullptr, nullptr, nullptr, &handle));
    EXPECT_EQ(LastError(), OpenMessage("Address IP not valid (NULL)"));
    EXPECT_FALSE(Vorn_KRAVENT_OpenConnection_MAINPORT(high, nullptr, nullptr, &handle));
    EXPECT_EQ(LastError(), OpenMessage("Address IP not valid"));
    EXPECT_FALSE(Vorn_KRAVENT_OpenConnection_MAINPORT(negative, &Host::DataReceived, &Host::ComEvent, &handle));
    EXPECT_EQ(LastError(), OpenMessage("Address IP not valid"));

    const int threads = CountEntries("task");
    EXPECT_FALSE(Vorn_KRAVENT_OpenConnection_MAINPORT(loopback, nullptr, nullptr, &handle));
    EXPECT_EQ(LastError(), OpenMessage("Data_Received_MAINPORT function not valid (NULL)"));
    EXPECT_EQ(handle, nullptr);
    EXPECT_FALSE(Vorn_KRAVENT_OpenConnection_MAINPORT(loopback, &Host::DataReceived, nullptr, &handle));
    EXPECT_EQ(LastError(), OpenMessage("Com_Event function not valid (NULL)"));
    EXPECT_EQ(handle, nullptr);
    EXPECT_TRUE(Eventually([&] { return CountEntries("task") == threads; }, 5s)) << "no thread left running";
    EXPECT_TRUE(host.Events().empty());
}

TEST(OpenWithoutModule, TheModuleTestFails) {
    const int32_t loopback[4] = {127, 0, 0, 1};
    ComID handle = nullptr;
    EXPECT_FALSE(Vorn_KRAVENT_OpenConnection_MAINPORT(loopback, &Host::DataReceived, &Host::ComEvent, &handle));
    EXPECT_EQ(LastError(), OpenMessage("Initial Test failed"));
    EXPECT_EQ(handle, nullptr);
}

using OpenWithoutListener = RefusedConnection;

TEST_F(OpenWithoutListener, ComEventReportsTheRefusedConnection) {
    EXPECT_EQ(host.Events(), std::vector<int32_t>{VORN_KRAVENT_STATE_ERROR});
    EXPECT_EQ(Vorn_KRAVENT_GetStateCommunication(com), VORN_KRAVENT_STATE_ERROR);
    EXPECT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
    EXPECT_EQ(host.Events().size(), 1u) << "a connection that never connected reports no close";
}

TEST_F(Lifetime, StateIsConnectingThenConnectedAndCloseReportsZeroBeforeItReturns) {
    ASSERT_TRUE(Open());
    const int32_t first = Vorn_KRAVENT_GetStateCommunication(com);
    EXPECT_TRUE(first == VORN_KRAVENT_STATE_CONNECTING || first == VORN_KRAVENT_STATE_CONNECTED) << first;
    ASSERT_TRUE(host.WaitEvent(VORN_KRAVENT_STATE_CONNECTED));
    EXPECT_EQ(Vorn_KRAVENT_GetStateCommunication(com), VORN_KRAVENT_STATE_CONNECTED);
    EXPECT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
    EXPECT_EQ(com, nullptr);
    EXPECT_EQ(host.Events(), (std::vector<int32_t>{VORN_KRAVENT_STATE_CONNECTED, VORN_KRAVENT_STATE_NOT_CONNECTED}));
    EXPECT_TRUE(Vorn_KRAVENT_CloseConnection(&com)) << "closing twice is fine";
    EXPECT_EQ(Vorn_KRAVENT_GetStateCommunication(nullptr), 0);
}

TEST_F(Lifetime, ModuleClosingReportsZero) {
    ASSERT_NO_FATAL_FAILURE(OpenAndLetTheModuleClose());
    EXPECT_NE(com, nullptr) << "the handle stays valid until closed";
}

TEST_F(Lifetime, OpeningAgainClosesTheOldConnectionFirstEvenWhenTheNewOpenFails) {
    OpenConnected();
    const ComID old = com;
    EXPECT_FALSE(Vorn_KRAVENT_OpenConnection_MAINPORT(nullptr, &Host::DataReceived, &Host::ComEvent, &com));
    EXPECT_EQ(com, nullptr);
    EXPECT_EQ(host.Events(), (std::vector<int32_t>{VORN_KRAVENT_STATE_CONNECTED, VORN_KRAVENT_STATE_NOT_CONNECTED}));
    EXPECT_TRUE(module->Log().WaitFor([](const sim::Counters& c) { return c.connectionsOpen == 0; }, 5s));
    EXPECT_FALSE(Vorn_KRAVENT_Read_TYPE(old)) << "the old handle is gone";

    ASSERT_TRUE(Open());
    ASSERT_TRUE(host.WaitEvents(3));
    ASSERT_TRUE(Open()) << "replaces the connection the variable holds";
    ASSERT_TRUE(host.WaitEvents(5));
    EXPECT_EQ(host.Events(), (std::vector<int32_t>{1, 0, 1, 0, 1}));
    EXPECT_TRUE(module->Log().WaitFor([](const sim::Counters& c) { return c.connectionsOpen == 1; }, 5s));
}

TEST_F(Lifetime, HandlesTheLibraryDoesNotHoldAreRefusedLikeNull) {
    OpenConnected();
    ComID closed = com;
    ASSERT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
    EXPECT_FALSE(Vorn_KRAVENT_Read_VOLTAGE(false, closed));
    EXPECT_EQ(LastError(), "Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_Read_VOLTAGE)");
    EXPECT_FALSE(Vorn_KRAVENT_SendData_MAINPORT(closed));
    EXPECT_EQ(LastError(), "Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_SendData_MAINPORT)");
    int never = 0;
    EXPECT_FALSE(Vorn_KRAVENT_RepetitiveAskReset(&never));
    EXPECT_EQ(LastError(),
              "Pointer on ethernet communication not valid. ComID = NULL\t(Vorn_KRAVENT_SetRepetitiveAskPacket)");
    EXPECT_EQ(Vorn_KRAVENT_GetStateCommunication(closed), 0);
    EXPECT_TRUE(Vorn_KRAVENT_CloseConnection(&closed)) << "a stale handle is only cleared";
    EXPECT_EQ(closed, nullptr);
}

// Closing from another thread while a callback of the connection runs waits for it.
TEST_F(Lifetime, CloseWhileTheDataCallbackRunsOnTheNotificationThread) {
    OpenConnected();
    std::promise<void> entered;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> returned{false};
    host.OnData([&](RegisterValues*, ComID) {
        entered.set_value();
        released.wait();
        returned = true;
    });
    ASSERT_TRUE(Vorn_KRAVENT_Read_VOLTAGE(false, com));
    ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
    ASSERT_EQ(entered.get_future().wait_for(5s), std::future_status::ready);
    ComID handle = com;
    com = nullptr;
    std::atomic<bool> closeReturned{false};
    std::thread closer([&] {
        Vorn_KRAVENT_CloseConnection(&handle);
        closeReturned = true;
    });
    EXPECT_FALSE(Eventually([&] { return closeReturned.load(); }, 200ms)) << "waits for the callback";
    release.set_value();
    closer.join();
    EXPECT_TRUE(returned);
    EXPECT_EQ(handle, nullptr);
}

TEST_F(Lifetime, ClosedConnectionsLeaveNoThreadAndNoDescriptor) {
    OpenConnected();  // starts the library's notification thread once
    ASSERT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
    const int threads = CountEntries("task");
    const int fds = CountEntries("fd");
    for (int round = 0; round < 3; ++round) {
        OpenConnected();
        ASSERT_TRUE(Vorn_KRAVENT_RepetitiveAskStart(com));
        ASSERT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
    }
    EXPECT_TRUE(Eventually([&] { return CountEntries("task") <= threads; }, 5s)) << CountEntries("task");
    EXPECT_TRUE(Eventually([&] { return CountEntries("fd") <= fds; }, 5s)) << CountEntries("fd");
}

TEST_F(Lifetime, ThousandOpenAndCloseCyclesLeakNothing) {
    OpenConnected();
    ASSERT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
    ASSERT_TRUE(module->Log().WaitFor([](const sim::Counters& c) { return c.connectionsOpen == 0; }, 5s));
    const int threads = CountEntries("task");
    const int fds = CountEntries("fd");
    for (int round = 0; round < 1000; ++round) {
        ASSERT_TRUE(Open()) << round << ": " << LastError();
        ASSERT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
    }
    EXPECT_TRUE(Eventually([&] { return CountEntries("task") <= threads; }, 5s)) << CountEntries("task");
    EXPECT_TRUE(Eventually([&] { return CountEntries("fd") <= fds; }, 5s)) << CountEntries("fd");
}

}  // namespace
}  // namespace kravent::test
