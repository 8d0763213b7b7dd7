// Winsock is started by the library itself, once per process, on first use.
#include "platform/win32/windows_api.h"

namespace kravent::platform {

bool EnsureWinsock() {
    // A function-local static is initialised once even when threads race here.
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool ParseIPv4(const char* ipText, in_addr* address) {
    if (ipText == nullptr || !EnsureWinsock()) return false;
    return inet_pton(AF_INET, ipText, address) == 1;
}

}  // namespace kravent::platform
