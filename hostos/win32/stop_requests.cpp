#include <windows.h>

#include "hostos/hostos.h"

namespace kravent::hostos {

namespace {

HANDLE g_stopRequested = nullptr;
void (*g_onStop)() = nullptr;

// Runs on a thread that the system starts for each console event.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    if (g_onStop != nullptr) g_onStop();
    SetEvent(g_stopRequested);
    return TRUE;
}

}  // namespace

void CatchStopRequests() {
    g_stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void WaitForStopRequest() { WaitForSingleObject(g_stopRequested, INFINITE); }

void WatchStopRequests(void (*onStop)()) {
    g_onStop = onStop;
    CatchStopRequests();
}

}  // namespace kravent::hostos
