// A host that calls the exported interface the wrong way, against in-process
// simulated modules on 127.0.0.x (each test case runs in a namespace of its own).
// Callbacks are looked up by ComID, so several connections may share them.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "sim/module_simulator.h"
#include "tests/soak/process_resources.h"

namespace kravent::misuse {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string LastError();

// What the callbacks saw, and what they are to do; one instance is current at a time.
class Host {
public:
    Host();
    ~Host();
    static void VORN_KRAVENT_CALL DataReceived(RegisterValues* values, ComID com);
    static void VORN_KRAVENT_CALL ComEvent(int32_t event, ComID com);

    // Hooks run inside the callbacks, after the call has been counted; they may be
    // replaced while callbacks run on the notification thread.
    void OnData(std::function<void(RegisterValues*, ComID)> hook);
    void OnEvent(std::function<void(int32_t, ComID)> hook);

    // Waits until at least `count` data callbacks (of any connection) have come.
    bool WaitData(long count, std::chrono::milliseconds timeout = 10s);
    bool WaitEvent(int32_t event, std::chrono::milliseconds timeout = 10s);
    long DataCalls();
    long NameAnswers();  // data callbacks that carried MODULENAME

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void(RegisterValues*, ComID)> onData_;
    std::function<void(int32_t, ComID)> onEvent_;
    long data_ = 0, names_ = 0;
    long events_[3] = {};
};

// A simulated module listening on `address`, ports 8010 and 7010.
std::unique_ptr<sim::ModuleSimulator> StartModule(const std::string& address = "127.0.0.1");

// Opens a connection to 127.0.0.`last` and waits for Com_Event 1; null on failure.
ComID OpenConnected(Host& host, int last = 1);

// Opens and closes one connection to 127.0.0.1 and logs one failure, so that what the
// library keeps for its whole life (its notification loop, the log's lock) exists
// before a test counts threads and descriptors. Returns the counts afterwards, once
// `module` has closed its side.
testing::ProcessResources WarmUp(Host& host, sim::ModuleSimulator& module);

// Flags MODULENAME, triggers, and waits for its answer; false if it never came.
bool ReadNameAnswered(Host& host, ComID com, std::chrono::milliseconds timeout = 10s);

}  // namespace kravent::misuse
