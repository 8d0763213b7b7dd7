// The Windows headers, in the order Winsock needs, and what the Win32 backend's
// files share. Included only by platform/win32.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "platform/platform.h"

namespace kravent::platform {

struct Event::Impl {
    HANDLE handle = nullptr;
};

// Starts Winsock 2.2 for the process the first time it is called (thread-safe);
// false when the system refused. Every socket service calls it first.
bool EnsureWinsock();

// Parses a numeric IPv4 address; false for anything else.
bool ParseIPv4(const char* ipText, in_addr* address);

}  // namespace kravent::platform
