// Threads with cooperative suspension. Suspend() only raises a flag; the body stops at
// its next SafePoint() and sleeps on a condition variable until Resume() or Terminate().
#include "platform/platform.h"

#include <sys/prctl.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace kravent::platform {

struct Thread::Impl {
    std::mutex mutex;  // guards the flags' changes, so that no wake-up is lost
    std::condition_variable changed;
    std::mutex joinMutex;  // Create() and Stop() may race from different threads
    std::thread system;
};

namespace {
thread_local const Thread* tRunningBody = nullptr;
}

struct ThreadAccess {
    static void Run(Thread& thread) {
        // The finest timer resolution: a sender sleeps to its polling deadlines itself,
        // and the default slack (50 us) would make every tick that much late.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        Thread::Impl& impl = *thread.impl_;
        {
            std::unique_lock lock(impl.mutex);
            impl.changed.wait(lock, [&] { return !thread.Suspended() || thread.Terminated(); });
            if (thread.Terminated()) return;  // stopped before it ever ran
        }
        tRunningBody = &thread;
        try {
            thread.Execute();
        } catch (...) {
            // A body that throws ends its thread, not the process.
        }
        tRunningBody = nullptr;
    }
};

Thread::Thread() : impl_(std::make_unique<Impl>()) {}

Thread::~Thread() { Stop(); }

bool Thread::Create(bool suspended) {
    std::lock_guard join(impl_->joinMutex);
    if (impl_->system.joinable()) return false;
    if (suspended) Suspend();
    try {
        impl_->system = std::thread([this] { ThreadAccess::Run(*this); });
    } catch (...) {
        return false;
    }
    return true;
}

void Thread::Suspend() {
    std::lock_guard lock(impl_->mutex);
    suspendRequested_.store(true, std::memory_order_release);
}

void Thread::Resume() {
    std::lock_guard lock(impl_->mutex);
    suspendRequested_.store(false, std::memory_order_release);
    impl_->changed.notify_all();
}

void Thread::Terminate() {
    std::lock_guard lock(impl_->mutex);
    terminateRequested_.store(true, std::memory_order_release);
    impl_->changed.notify_all();
}

void Thread::Stop() {
    Terminate();
    std::lock_guard join(impl_->joinMutex);
    if (!impl_->system.joinable()) return;
    if (impl_->system.get_id() == std::this_thread::get_id()) {
        impl_->system.detach();  // a body cannot wait for itself
    } else {
        impl_->system.join();
    }
}

bool Thread::IsCurrent() const { return tRunningBody == this; }

bool Thread::SafePoint() {
    if (!Suspended()) return false;  // the common case needs no lock
    std::unique_lock lock(impl_->mutex);
    const auto mayGo = [this] { return !Suspended() || Terminated(); };
    if (mayGo()) return false;
    impl_->changed.wait(lock, mayGo);
    return true;
}

}  // namespace kravent::platform
