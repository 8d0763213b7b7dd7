// Every register function on a real connection: one call, one trigger, and the exact
// frame that reaches the module, then the answer delivered to the host.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "register_calls.h"
#include "sim/module_simulator.h"

namespace kravent::test {
namespace {

using namespace std::chrono_literals;

std::mutex hostMutex;
std::condition_variable hostChanged;
int dataCalls = 0;
bool connected = false;

void VORN_KRAVENT_CALL OnData(RegisterValues*, ComID) {
    const std::lock_guard lock(hostMutex);
    ++dataCalls;
    hostChanged.notify_all();
}

void VORN_KRAVENT_CALL OnEvent(int32_t event, ComID) {
    const std::lock_guard lock(hostMutex);
    connected = event == VORN_KRAVENT_STATE_CONNECTED;
    hostChanged.notify_all();
}

template <typename Pred>
bool WaitHost(Pred pred) {
    std::unique_lock lock(hostMutex);
    return hostChanged.wait_for(lock, 5s, pred);
}

TEST(RegisterFunctionsOnTheWire, EachCallSendsItsOwnFrameAfterOneTrigger) {
    sim::ModuleSimulator module;
    ASSERT_TRUE(module.Start()) << module.LastError();
    const int32_t loopback[4] = {127, 0, 0, 1};
    ComID com = nullptr;
    ASSERT_TRUE(Vorn_KRAVENT_OpenConnection_MAINPORT(loopback, OnData, OnEvent, &com));
    ASSERT_TRUE(WaitHost([] { return connected; }));

    ASSERT_EQ(RegisterCalls().size(), 90u);
    for (const RegisterCall& call : RegisterCalls()) {
        SCOPED_TRACE(call.name);
        const std::size_t framesBefore = module.GetCounters().tcpFrames;
        const int callsBefore = dataCalls;
        ASSERT_TRUE(call.call(com));
        ASSERT_TRUE(Vorn_KRAVENT_SendData_MAINPORT(com));
        ASSERT_TRUE(module.Log().WaitFor([&](const sim::Counters& c) { return c.tcpFrames > framesBefore; }, 5s));
        ASSERT_TRUE(WaitHost([&] { return dataCalls > callsBefore; })) << "the answer reaches the host";
        const auto frames = module.ReceivedFrames();
        ASSERT_FALSE(frames.empty());
        const Bytes expected = call.isWrite ? WriteRequest(call.item) : ReadRequest(call.item);
        EXPECT_EQ(frames.back().bytes, expected);
        EXPECT_EQ(module.GetCounters().tcpFrames, framesBefore + 1) << "one frame per trigger";
    }
    EXPECT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
}

}  // namespace
}  // namespace kravent::test
