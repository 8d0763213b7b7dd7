// A host of the exported interface against an in-process simulated module on
// 127.0.0.1 (each test case runs in a private network namespace of its own): records
// what the two callbacks receive and waits for it without sleeping blindly.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "sim/module_simulator.h"

namespace kravent::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string LastError();
// Entries of a /proc/self directory: threads ("task") or descriptors ("fd").
int CountEntries(const char* directory);
// Polls `pred` until it holds or `timeout` has passed.
bool Eventually(const std::function<bool()>& pred, std::chrono::milliseconds timeout);

// What the host's callbacks saw. One instance at a time is the current host.
class Host {
public:
    Host();
    ~Host();

    static void VORN_KRAVENT_CALL DataReceived(RegisterValues* values, ComID com);
    static void VORN_KRAVENT_CALL ComEvent(int32_t event, ComID com);

    // Hooks run inside the callbacks, before the call is recorded.
    std::function<void(RegisterValues*, ComID)> onData;
    std::function<void(int32_t, ComID)> onEvent;

    bool WaitData(int count, std::chrono::milliseconds timeout = 5s);
    bool WaitEvent(int32_t event, std::chrono::milliseconds timeout = 5s);
    bool WaitEvents(std::size_t count, std::chrono::milliseconds timeout = 5s);
    int DataCalls();
    std::vector<int32_t> Events();
    RegisterValues LastValues();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int dataCalls_ = 0;
    std::vector<int32_t> events_;
    RegisterValues last_{};
};

// A running simulated module and one connection to it.
class Connection : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the connection and waits for Com_Event 1.
    void OpenConnected();
    bool Open();
    // Frames the module received over TCP, and their bytes.
    std::size_t TcpFrames() { return module->GetCounters().tcpFrames; }
    std::vector<std::vector<std::uint8_t>> TcpFrameBytes();
    bool WaitTcpFrames(std::size_t count, std::chrono::milliseconds timeout = 5s);

    std::unique_ptr<sim::ModuleSimulator> module;
    Host host;
    ComID com = nullptr;
    const int32_t loopback[4] = {127, 0, 0, 1};
};

}  // namespace kravent::test
