#include <windows.h>

#include "hostos/hostos.h"

namespace kravent::hostos {

struct Wakeup::Impl {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);  // auto-reset
};

Wakeup::Wakeup() : impl_(std::make_unique<Impl>()) {}
Wakeup::~Wakeup() { CloseHandle(impl_->event); }

void Wakeup::Notify() { SetEvent(impl_->event); }

bool Wakeup::Wait(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit, const std::function<bool()>& ready) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (ready()) return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        // The library's notifications, and with them its callbacks, run inside DispatchMessage.
        lock.unlock();
        MsgWaitForMultipleObjectsEx(1, &impl_->event, static_cast<DWORD>(left.count()), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        lock.lock();
    }
}

}  // namespace kravent::hostos
