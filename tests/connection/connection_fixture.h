// A host of the exported interface against an in-process simulated module on
// 127.0.0.1 (each test case runs in a private network namespace of its own).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "sim/module_simulator.h"
#include "tests/support/callback_host.h"

namespace kravent::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using testsupport::Host;
using testsupport::LastError;

// Entries of a /proc/self directory: threads ("task") or descriptors ("fd").
int CountEntries(const char* directory);
// Polls `pred` until it holds or `timeout` has passed.
bool Eventually(const std::function<bool()>& pred, std::chrono::milliseconds timeout);

// A running simulated module and one connection to it.
class Connection : public ::testing::Test {
protected:
    void SetUp() override { StartModule(); }
    void TearDown() override;

    void StartModule(const sim::ModuleSettings& settings = {});
    // Opens the connection and waits for Com_Event 1.
    void OpenConnected();
    bool Open();
    // Opens the connection, has the module close it after one exchange and waits for
    // Com_Event 0.
    void OpenAndLetTheModuleClose();
    // Frames the module received over TCP, and their bytes.
    std::size_t TcpFrames() { return module->GetCounters().tcpFrames; }
    std::vector<std::vector<std::uint8_t>> TcpFrameBytes();
    bool WaitTcpFrames(std::size_t count, std::chrono::milliseconds timeout = 5s);

    std::unique_ptr<sim::ModuleSimulator> module;
    Host host;
    ComID com = nullptr;
    const int32_t loopback[4] = {127, 0, 0, 1};
};

// A module that passes the module test but listens on another main port, and a
// connection to it that has reported the refusal.
class RefusedConnection : public Connection {
protected:
    void SetUp() override;
};

}  // namespace kravent::test
