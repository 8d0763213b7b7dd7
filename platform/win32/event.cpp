// Auto-reset events and waits over the kernel's event objects.
#include "platform/win32/windows_api.h"

namespace kravent::platform {

Event::Event(bool initiallySet) : impl_(std::make_unique<Impl>()) {
    impl_->handle = CreateEventA(nullptr, FALSE, initiallySet ? TRUE : FALSE, nullptr);
}

Event::~Event() {
    if (impl_->handle != nullptr) CloseHandle(impl_->handle);
}

void Event::Set() {
    if (impl_->handle != nullptr) SetEvent(impl_->handle);
}

WaitResult Event::Wait(std::uint32_t timeoutMs) {
    if (impl_->handle == nullptr) return WaitResult::Failed;
    switch (WaitForSingleObject(impl_->handle, timeoutMs)) {
        case WAIT_OBJECT_0: return WaitResult::Signaled;
        case WAIT_TIMEOUT: return WaitResult::Timeout;
        case WAIT_ABANDONED: return WaitResult::Abandoned;
        default: return WaitResult::Failed;
    }
}

void YieldThread() { Sleep(0); }

std::uint64_t SteadyMilliseconds() {
    // The performance counter, not GetTickCount64: its 15.6 ms steps are too coarse
    // to measure a 10 ms period.
    static const std::uint64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<std::uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const auto ticks = static_cast<std::uint64_t>(now.QuadPart);
    return ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
}

}  // namespace kravent::platform
