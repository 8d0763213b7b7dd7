#include "platform/win32/socket_window.h"

namespace kravent::platform {
namespace {

constexpr UINT kRetireMessage = WM_APP + 0x4C;
constexpr char kClassName[] = "KraventSocketNotifications";

LRESULT CALLBACK SocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSocketMessage) {
        const auto serial = static_cast<std::uint32_t>(GetWindowLongPtrA(window, GWLP_USERDATA));
        HandleSocketMessage(serial, window, wParam, lParam);
        return 0;
    }
    if (message == kRetireMessage) {
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The module this code lives in: the DLL, or the program it is linked into.
HINSTANCE ThisModule() {
    static const char anchor = 0;
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       &anchor, &module);
    return module;
}

// A failed registration is not remembered: the next Open() tries again.
bool RegisterWindowClass() {
    static std::atomic<bool> registered{false};
    if (registered.load(std::memory_order_acquire)) return true;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &SocketWindowProc;
    windowClass.hInstance = ThisModule();
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExA(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    registered.store(true, std::memory_order_release);
    return true;
}

}  // namespace

HWND CreateSocketWindow(std::uint32_t serial) {
    if (!RegisterWindowClass()) return nullptr;
    HWND window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
    if (window != nullptr) SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(serial));
    return window;
}

void RetireSocketWindow(HWND window, DWORD ownerThread) {
    if (window == nullptr) return;
    if (ownerThread == GetCurrentThreadId()) {
        DestroyWindow(window);
    } else {
        PostMessageA(window, kRetireMessage, 0, 0);
    }
}

}  // namespace kravent::platform
