#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "cli/stop_signals.h"

namespace kravent::cli {

namespace {

// Runs on a thread that the system starts for each console event.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    DeliverStop();
    return TRUE;
}

}  // namespace

void WatchStopSignals() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

}  // namespace kravent::cli
