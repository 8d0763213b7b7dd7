// Threads with cooperative suspension. A suspension only takes effect at the body's
// next SafePoint(): SuspendThread could stop the thread inside a lock of the C
// runtime or of the logger and so hang the whole host.
#include "platform/win32/windows_api.h"

#include <process.h>

namespace kravent::platform {

struct Thread::Impl {
    HANDLE handle = nullptr;
    std::atomic<DWORD> threadId{0};
    // Guards the two request flags against lost wake-ups of SafePoint().
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
};

struct ThreadAccess {
    static unsigned __stdcall Main(void* argument) {
        auto& thread = *static_cast<Thread*>(argument);
        thread.impl_->threadId.store(GetCurrentThreadId(), std::memory_order_release);
        thread.SafePoint();  // a thread created suspended waits here for Resume()
        if (thread.Terminated()) return 0;  // stopped before it ever ran
        try {
            thread.Execute();
        } catch (...) {
            // A body that throws ends its thread, not the host process.
        }
        return 0;
    }
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}

Thread::~Thread() {
    Stop();
    if (impl_->handle != nullptr) CloseHandle(impl_->handle);
}

bool Thread::Create(bool suspended) {
    if (impl_->handle != nullptr) return false;
    if (suspended) suspendRequested_.store(true, std::memory_order_release);
    unsigned id = 0;
    const auto handle = _beginthreadex(nullptr, 0, &ThreadAccess::Main, this, 0, &id);
    if (handle == 0) {
        suspendRequested_.store(false, std::memory_order_release);
        return false;
    }
    impl_->handle = reinterpret_cast<HANDLE>(handle);
    impl_->threadId.store(id, std::memory_order_release);
    return true;
}

void Thread::Suspend() {
    AcquireSRWLockExclusive(&impl_->lock);
    suspendRequested_.store(true, std::memory_order_release);
    ReleaseSRWLockExclusive(&impl_->lock);
}

void Thread::Resume() {
    AcquireSRWLockExclusive(&impl_->lock);
    suspendRequested_.store(false, std::memory_order_release);
    ReleaseSRWLockExclusive(&impl_->lock);
    WakeAllConditionVariable(&impl_->changed);
}

void Thread::Terminate() {
    AcquireSRWLockExclusive(&impl_->lock);
    terminateRequested_.store(true, std::memory_order_release);
    ReleaseSRWLockExclusive(&impl_->lock);
    WakeAllConditionVariable(&impl_->changed);
}

void Thread::Stop() {
    Terminate();
    Resume();
    // A body that stops its own thread cannot wait for itself to end.
    if (impl_->handle != nullptr && !IsCurrent()) WaitForSingleObject(impl_->handle, INFINITE);
}

bool Thread::IsCurrent() const {
    return impl_->threadId.load(std::memory_order_acquire) == GetCurrentThreadId();
}

bool Thread::SafePoint() {
    bool held = false;
    AcquireSRWLockExclusive(&impl_->lock);
    while (Suspended() && !Terminated()) {
        held = true;
        SleepConditionVariableSRW(&impl_->changed, &impl_->lock, INFINITE, 0);
    }
    ReleaseSRWLockExclusive(&impl_->lock);
    return held;
}

}  // namespace kravent::platform
