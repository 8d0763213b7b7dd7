// Auto-reset events on a futex: a set wakes at most one waiter, and that waiter runs
// without having to take a lock that the setter still holds. Timed waits run on the
// steady clock, so a change of the wall clock neither shortens nor stretches them.
// An event that periodic timers set has their deadlines: a waiter sleeps until the
// earliest of them, and a deadline that has passed counts as one set, whether or not
// anyone waited at the time.
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <thread>

#include "platform/linux/event_impl.h"

namespace kravent::platform {

namespace {

// The event's word: clear, set, or clear with a waiter that may be asleep on it.
constexpr std::uint32_t kClear = 0;
constexpr std::uint32_t kSet = 1;
constexpr std::uint32_t kClearWaiting = 2;

// Sleeps while `word` holds `expected`, until `until` (max: no limit), a wake or a change.
void FutexWait(std::atomic<std::uint32_t>& word, std::uint32_t expected, SteadyClock::time_point until) {
    timespec deadline{};
    const timespec* limit = nullptr;
    if (until != SteadyClock::time_point::max()) {
        // The steady clock is CLOCK_MONOTONIC, which the futex's absolute time uses.
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(until.time_since_epoch()).count();
        deadline.tv_sec = static_cast<time_t>(ns / 1000000000);
        deadline.tv_nsec = static_cast<long>(ns % 1000000000);
        limit = &deadline;
    }
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAIT_BITSET_PRIVATE, expected, limit, nullptr,
              FUTEX_BITSET_MATCH_ANY);
}

void FutexWake(std::atomic<std::uint32_t>& word, int waiters) {
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE_PRIVATE, waiters, nullptr, nullptr, 0);
}

// Takes the deadlines that have passed by `now` as one set: each timer moves on to its
// next deadline after `now`, skipping those missed rather than catching up in a burst.
// Returns whether any had passed, and leaves the earliest deadline in `earliest`.
bool TakeDueDeadlines(Event::Impl& impl, SteadyClock::time_point now, SteadyClock::time_point& earliest) {
    earliest = SteadyClock::time_point::max();
    if (impl.timerCount.load(std::memory_order_acquire) == 0) return false;
    std::lock_guard lock(impl.timerLock);
    bool due = false;
    for (TimerDeadline& t : impl.timers) {
        if (t.next <= now) {
            due = true;
            t.next += t.period;
            if (t.next <= now) t.next += ((now - t.next) / t.period + 1) * t.period;
        }
        earliest = std::min(earliest, t.next);
    }
    return due;
}

}  // namespace

void WakeToReadDeadlines(Event::Impl& impl) { FutexWake(impl.word, INT_MAX); }

Event::Event(bool initiallySet) : impl_(std::make_unique<Impl>()) {
    impl_->word.store(initiallySet ? kSet : kClear, std::memory_order_relaxed);
}

Event::~Event() = default;

void Event::Set() {
    // The word is the last thing touched: a released waiter may destroy the event at
    // once, so nothing of it (not even impl_) is read after the exchange, and a wake on
    // a word that is gone harms no one.
    std::atomic<std::uint32_t>& word = impl_->word;
    if (word.exchange(kSet, std::memory_order_acq_rel) == kClearWaiting) FutexWake(word, 1);
}

WaitResult Event::Wait(std::uint32_t timeoutMs) {
    Impl& impl = *impl_;
    std::atomic<std::uint32_t>& word = impl.word;
    SteadyClock::time_point earliest;
    std::uint32_t seen = kSet;
    // A set and a passed deadline together count once, as two sets of an auto-reset
    // event would.
    if (word.compare_exchange_strong(seen, kClear, std::memory_order_acquire)) {
        TakeDueDeadlines(impl, SteadyClock::now(), earliest);
        return WaitResult::Signaled;
    }
    SteadyClock::time_point now = SteadyClock::now();
    if (TakeDueDeadlines(impl, now, earliest)) return WaitResult::Signaled;
    if (timeoutMs == 0) return WaitResult::Timeout;

    const SteadyClock::time_point limit =
        timeoutMs == kInfinite ? SteadyClock::time_point::max() : now + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        seen = word.load(std::memory_order_acquire);
        // A waiter that takes the set leaves the mark: others may still sleep.
        if (seen == kSet) {
            if (word.compare_exchange_weak(seen, kClearWaiting, std::memory_order_acquire)) {
                TakeDueDeadlines(impl, SteadyClock::now(), earliest);
                return WaitResult::Signaled;
            }
            continue;
        }
        now = SteadyClock::now();
        if (TakeDueDeadlines(impl, now, earliest)) return WaitResult::Signaled;
        if (now >= limit) return WaitResult::Timeout;
        if (seen == kClear && !word.compare_exchange_weak(seen, kClearWaiting, std::memory_order_relaxed)) continue;
        FutexWait(word, kClearWaiting, std::min(limit, earliest));
    }
}

void YieldThread() { std::this_thread::yield(); }

std::uint64_t SteadyMilliseconds() {
    const auto since = SteadyClock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace kravent::platform
