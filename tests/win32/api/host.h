// What a Windows host does around the DLL: dispatch its window messages for a while,
// and watch the two callbacks of the connection it opened.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent::wintest {

// Dispatches this thread's window messages until done() or `limitMs` has passed;
// done()'s final answer.
template <class Done>
bool PumpUntil(Done done, DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (done()) return true;
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

// Dispatches for `ms` milliseconds.
void PumpFor(DWORD ms);

// What the callbacks saw since the last Reset(); written by the callbacks, read by the case.
struct Observed {
    std::atomic<int> dataCalls{0};
    std::atomic<int> dataCallsWithPolledValues{0};  // VOLTAGE and POSITION both received
    std::atomic<int> events[3] = {};                // Com_Event calls per event code 0, 1, 2
    std::atomic<int> otherEvents{0};                // Com_Event with any other code
    std::atomic<int> callsOnOtherThreads{0};        // either callback, off the opening thread
    std::atomic<int> callsForOtherHandles{0};       // a ComID other than the opened one
    std::atomic<int> disconnectsInsideClose{0};     // Com_Event 0 while CloseConnection runs
    std::atomic<bool> voltageReceived{false};
    std::atomic<float> voltage{0.0f};

    // Forgets everything; the callbacks expect `com` on the calling thread from now on.
    void Reset(ComID com);
};

extern Observed observed;

// The callbacks a host hands to Vorn_KRAVENT_OpenConnection_MAINPORT.
void VORN_KRAVENT_CALL OnDataReceived(RegisterValues* values, ComID com);
void VORN_KRAVENT_CALL OnComEvent(std::int32_t event, ComID com);

// A connection to the simulated module at `ip`, closed on destruction; the opening
// thread is the calling one.
class HostConnection {
public:
    explicit HostConnection(const std::int32_t (&ip)[4]);
    ~HostConnection();
    HostConnection(const HostConnection&) = delete;
    HostConnection& operator=(const HostConnection&) = delete;

    bool opened() const { return opened_; }
    ComID com() const { return com_; }
    // Dispatches until Com_Event 1 (at most 5 s); true when it came.
    bool WaitConnected();
    // Vorn_KRAVENT_CloseConnection, marking the span in which Com_Event 0 is expected.
    bool Close();

private:
    ComID com_ = nullptr;
    bool opened_ = false;
};

// The simulated modules of the private network (with-simulators.sh).
inline constexpr std::int32_t kModuleA[4] = {127, 0, 0, 11};
inline constexpr int kModuleCount = 3;
inline constexpr float kModuleVoltage = 23.5f;  // the modules' supply voltage

}  // namespace kravent::wintest
