// Auto-reset events on a mutex and a condition variable. Timed waits run on the steady
// clock, so a change of the wall clock neither shortens nor stretches them.
#include "platform/platform.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kravent::platform {

struct Event::Impl {
    std::mutex mutex;
    std::condition_variable changed;
    bool set = false;
};

Event::Event(bool initiallySet) : impl_(std::make_unique<Impl>()) { impl_->set = initiallySet; }

Event::~Event() = default;

void Event::Set() {
    // Notify under the lock: the released waiter may destroy the event at once.
    std::lock_guard lock(impl_->mutex);
    impl_->set = true;
    impl_->changed.notify_one();
}

WaitResult Event::Wait(std::uint32_t timeoutMs) {
    std::unique_lock lock(impl_->mutex);
    const auto isSet = [this] { return impl_->set; };
    if (timeoutMs == kInfinite) {
        impl_->changed.wait(lock, isSet);
    } else {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        if (!impl_->changed.wait_until(lock, deadline, isSet)) return WaitResult::Timeout;
    }
    impl_->set = false;
    return WaitResult::Signaled;
}

void YieldThread() { std::this_thread::yield(); }

std::uint64_t SteadyMilliseconds() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace kravent::platform
