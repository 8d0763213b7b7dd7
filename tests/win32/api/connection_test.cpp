// One request's road through the DLL under a Windows message loop: the callbacks run
// on the opening thread, and only while it dispatches its messages.
#include <cmath>
#include <string>

#include "tests/win32/api/dll_api.h"
#include "tests/win32/api/host.h"
#include "tests/win32/harness.h"

using namespace kravent::wintest;

namespace {

constexpr DWORD kNotDispatching = 500;  // long enough for the module to have answered

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

KRAVENT_CASE(ConnectedEventWaitsForTheOpeningThreadToDispatch) {
    HostConnection connection(kModuleA);
    CHECK(connection.opened());
    if (!connection.opened()) return;
    CHECK(Dll().GetStateCommunication(connection.com()) == VORN_KRAVENT_STATE_CONNECTING);
    Sleep(kNotDispatching);
    CHECK(observed.events[1] == 0);
    CHECK(Dll().GetStateCommunication(connection.com()) == VORN_KRAVENT_STATE_CONNECTING);

    CHECK(connection.WaitConnected());
    CHECK(Dll().GetStateCommunication(connection.com()) == VORN_KRAVENT_STATE_CONNECTED);
    CHECK(observed.events[1] == 1);
    CHECK(observed.events[0] == 0);
    CHECK(observed.events[2] == 0);
    CHECK(observed.callsOnOtherThreads == 0);
    CHECK(observed.callsForOtherHandles == 0);
}

KRAVENT_CASE(ReadAnswerIsDeliveredOnlyWhileTheOpeningThreadDispatches) {
    HostConnection connection(kModuleA);
    CHECK(connection.WaitConnected());
    if (!connection.opened()) return;
    const ComID com = connection.com();

    CHECK(Dll().Read_VOLTAGE(false, com));
    CHECK(Dll().SendData_MAINPORT(com));
    // The reply is still undelivered, so a second trigger is refused.
    CHECK(!Dll().SendData_MAINPORT(com));
    CHECK(LastErrorText() ==
          "Call Vorn_KRAVENT_SendData_MAINPORT before receive data of the last call\t(Vorn_KRAVENT_SendData_MAINPORT)");

    Sleep(kNotDispatching);
    CHECK(observed.dataCalls == 0);

    CHECK(PumpUntil([] { return observed.dataCalls.load() > 0; }, 3000));
    CHECK(observed.dataCalls == 1);
    CHECK(observed.voltageReceived);
    CHECK(std::fabs(observed.voltage.load() - kModuleVoltage) < 0.01f);

    // Delivered: the next trigger is accepted and answered the same way.
    CHECK(Dll().Read_VOLTAGE(false, com));
    CHECK(Dll().SendData_MAINPORT(com));
    CHECK(PumpUntil([] { return observed.dataCalls.load() > 1; }, 3000));
    CHECK(observed.callsOnOtherThreads == 0);
    CHECK(observed.callsForOtherHandles == 0);
    CHECK(observed.events[2] == 0);
    CHECK(EndsWith(LastErrorText(), "(Vorn_KRAVENT_SendData_MAINPORT)"));  // nothing failed since
}

KRAVENT_CASE(CloseReportsTheDisconnectBeforeItReturns) {
    HostConnection connection(kModuleA);
    CHECK(connection.WaitConnected());
    if (!connection.opened()) return;
    CHECK(connection.Close());
    CHECK(connection.com() == nullptr);
    CHECK(observed.events[0] == 1);
    CHECK(observed.disconnectsInsideClose == 1);
    CHECK(observed.callsOnOtherThreads == 0);

    // Notifications still queued for the closed socket reach no callback.
    PumpFor(300);
    CHECK(observed.events[0] == 1);
    CHECK(observed.events[2] == 0);
    CHECK(observed.dataCalls == 0);
}

KRAVENT_CASE(CloseWithoutConnectionCallsNothing) {
    HostConnection connection(kModuleA);
    CHECK(connection.opened());
    if (!connection.opened()) return;
    // Never dispatched: the socket never became connected for the library.
    CHECK(connection.Close());
    CHECK(connection.com() == nullptr);
    PumpFor(300);
    CHECK(observed.events[0] == 0);
    CHECK(observed.events[1] == 0);
    CHECK(observed.events[2] == 0);
}
