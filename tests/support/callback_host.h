// A host of the exported interface: records what its two callbacks receive and waits
// for it without sleeping blindly. One instance at a time is the current host; the
// callbacks take the ComID along, so several connections may share them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent::testsupport {

// The library's last error message.
std::string LastError();

class Host {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    static void VORN_KRAVENT_CALL DataReceived(RegisterValues* values, ComID com);
    static void VORN_KRAVENT_CALL ComEvent(int32_t event, ComID com);

    // Hooks run inside the callbacks, before the call is recorded, so that a test that
    // saw the call recorded may end. They may be replaced while callbacks run.
    void OnData(std::function<void(RegisterValues*, ComID)> hook);
    void OnEvent(std::function<void(int32_t, ComID)> hook);

    // Waits until at least `count` data callbacks (of any connection) have come.
    bool WaitData(long count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    bool WaitEvent(int32_t event, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    bool WaitEvents(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    long DataCalls();
    long NameAnswers();  // data callbacks that carried MODULENAME
    std::vector<int32_t> Events();
    RegisterValues LastValues();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void(RegisterValues*, ComID)> onData_;
    std::function<void(int32_t, ComID)> onEvent_;
    long dataCalls_ = 0;
    long nameAnswers_ = 0;
    std::vector<int32_t> events_;
    RegisterValues last_{};
};

}  // namespace kravent::testsupport
