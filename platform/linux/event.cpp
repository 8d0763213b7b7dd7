// Auto-reset events on a futex: a set wakes at most one waiter, and that waiter runs
// without having to take a lock that the setter still holds. Timed waits run on the
// steady clock, so a change of the wall clock neither shortens nor stretches them.
#include "platform/platform.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <thread>

namespace kravent::platform {

namespace {

// The event's word: clear, set, or clear with a waiter that may be asleep on it.
constexpr std::uint32_t kClear = 0;
constexpr std::uint32_t kSet = 1;
constexpr std::uint32_t kClearWaiting = 2;

// Sleeps while `word` holds `expected`, until the absolute steady-clock `deadline`
// (nullptr: no limit). False when the deadline has passed.
bool FutexWait(std::atomic<std::uint32_t>& word, std::uint32_t expected, const timespec* deadline) {
    const long r = ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAIT_BITSET_PRIVATE, expected,
                             deadline, nullptr, FUTEX_BITSET_MATCH_ANY);
    return r == 0 || errno != ETIMEDOUT;
}

void FutexWakeOne(std::atomic<std::uint32_t>& word) {
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

}  // namespace

struct Event::Impl {
    std::atomic<std::uint32_t> word{kClear};
};

Event::Event(bool initiallySet) : impl_(std::make_unique<Impl>()) {
    impl_->word.store(initiallySet ? kSet : kClear, std::memory_order_relaxed);
}

Event::~Event() = default;

void Event::Set() {
    // The word is the last thing touched: a released waiter may destroy the event at
    // once, so nothing of it (not even impl_) is read after the exchange, and a wake on
    // a word that is gone harms no one.
    std::atomic<std::uint32_t>& word = impl_->word;
    if (word.exchange(kSet, std::memory_order_acq_rel) == kClearWaiting) FutexWakeOne(word);
}

WaitResult Event::Wait(std::uint32_t timeoutMs) {
    std::atomic<std::uint32_t>& word = impl_->word;
    std::uint32_t seen = kSet;
    if (word.compare_exchange_strong(seen, kClear, std::memory_order_acquire)) return WaitResult::Signaled;
    if (timeoutMs == 0) return WaitResult::Timeout;

    timespec deadline{};
    if (timeoutMs != kInfinite) {
        ::clock_gettime(CLOCK_MONOTONIC, &deadline);
        deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
        deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
        if (deadline.tv_nsec >= 1000000000L) {
            deadline.tv_nsec -= 1000000000L;
            ++deadline.tv_sec;
        }
    }
    bool inTime = true;
    for (;;) {
        seen = word.load(std::memory_order_acquire);
        // A waiter that takes the set leaves the mark: others may still sleep.
        if (seen == kSet) {
            if (word.compare_exchange_weak(seen, kClearWaiting, std::memory_order_acquire)) return WaitResult::Signaled;
            continue;
        }
        if (!inTime) return WaitResult::Timeout;
        if (seen == kClear && !word.compare_exchange_weak(seen, kClearWaiting, std::memory_order_relaxed)) continue;
        inTime = FutexWait(word, kClearWaiting, timeoutMs == kInfinite ? nullptr : &deadline);
    }
}

void YieldThread() { std::this_thread::yield(); }

std::uint64_t SteadyMilliseconds() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace kravent::platform
