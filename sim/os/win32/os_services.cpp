#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>

#include "sim/os_services.h"

namespace kravent::sim {

namespace {
HANDLE g_stopRequested = nullptr;

BOOL WINAPI OnConsoleControl(DWORD) {
    SetEvent(g_stopRequested);
    return TRUE;
}
}  // namespace

// Interface addresses change only in the Linux test namespaces; Windows has no `ip`.
int RunProgram(const std::vector<std::string>&) { return -1; }

// Ctrl-C, Ctrl-Break and closing the console window all stop the program in order.
void CatchStopRequests() {
    g_stopRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void WaitForStopRequest() { WaitForSingleObject(g_stopRequested, INFINITE); }

void WriteReadyLine(int fd) {
    _write(fd, "ready\n", 6);
    _close(fd);
}

}  // namespace kravent::sim
