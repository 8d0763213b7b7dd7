#include "tests/win32/api/host.h"

#include "tests/win32/api/dll_api.h"

namespace kravent::wintest {
namespace {

std::atomic<DWORD> openingThread{0};
std::atomic<ComID> openedCom{nullptr};
std::atomic<bool> closing{false};

void CheckCaller(ComID com) {
    if (GetCurrentThreadId() != openingThread.load()) ++observed.callsOnOtherThreads;
    if (com != openedCom.load()) ++observed.callsForOtherHandles;
}

}  // namespace

Observed observed;

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

void Observed::Reset(ComID com) {
    dataCalls = 0;
    dataCallsWithPolledValues = 0;
    for (auto& count : events) count = 0;
    otherEvents = 0;
    callsOnOtherThreads = 0;
    callsForOtherHandles = 0;
    disconnectsInsideClose = 0;
    voltageReceived = false;
    voltage = 0.0f;
    openingThread = GetCurrentThreadId();
    openedCom = com;
}

void VORN_KRAVENT_CALL OnDataReceived(RegisterValues* values, ComID com) {
    CheckCaller(com);
    if (values != nullptr) {
        observed.voltage = values->VOLTAGE_Value;
        observed.voltageReceived = values->VOLTAGE_Received;
        if (values->VOLTAGE_Received && values->POSITION_Received) ++observed.dataCallsWithPolledValues;
    }
    ++observed.dataCalls;  // last: a case that waits for the count finds the values in place
}

void VORN_KRAVENT_CALL OnComEvent(std::int32_t event, ComID com) {
    CheckCaller(com);
    if (event == 0 && closing.load()) ++observed.disconnectsInsideClose;
    if (event >= 0 && event <= 2) {
        ++observed.events[event];
    } else {
        ++observed.otherEvents;
    }
}

HostConnection::HostConnection(const std::int32_t (&ip)[4]) {
    observed.Reset(nullptr);
    if (!Dll().complete) return;
    opened_ = Dll().OpenConnection_MAINPORT(ip, &OnDataReceived, &OnComEvent, &com_);
    // No notification runs before this thread dispatches, so the handle is known in time.
    openedCom = com_;
}

HostConnection::~HostConnection() { Close(); }

bool HostConnection::WaitConnected() {
    return opened_ && PumpUntil([] { return observed.events[1].load() > 0; }, 5000);
}

bool HostConnection::Close() {
    if (com_ == nullptr) return true;
    closing = true;
    const bool closed = Dll().CloseConnection(&com_);
    closing = false;
    return closed;
}

}  // namespace kravent::wintest
