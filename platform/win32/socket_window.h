// Hidden message-only windows that receive the WSAAsyncSelect notifications of TCP
// clients, on the thread that opened the client.
#pragma once

#include <cstdint>

#include "platform/win32/windows_api.h"

namespace kravent::platform {

inline constexpr UINT kSocketMessage = WM_APP + 0x4B;

// A window of the calling thread whose socket messages go to HandleSocketMessage with
// `serial`; null when it cannot be created.
HWND CreateSocketWindow(std::uint32_t serial);

// Destroys the window now when `ownerThread` is the calling thread, else asks the
// owner to destroy it (only the owning thread may).
void RetireSocketWindow(HWND window, DWORD ownerThread);

// Runs on the window's thread for every socket message (tcp_client.cpp).
void HandleSocketMessage(std::uint32_t serial, HWND window, WPARAM socket, LPARAM selectResult);

}  // namespace kravent::platform
