// The inside of a Linux event, shared by the event and the periodic timers: a timer
// keeps its deadlines in the event it sets, and the event's waiter sleeps to the
// earliest of them itself, so a tick wakes one thread (the waiter) instead of two.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/platform.h"

namespace kravent::platform {

using SteadyClock = std::chrono::steady_clock;

// One periodic timer bound to an event: its period and next absolute deadline.
struct TimerDeadline {
    std::uint32_t id;
    SteadyClock::duration period;
    SteadyClock::time_point next;
};

struct Event::Impl {
    std::atomic<std::uint32_t> word{0};
    // Timers that set this event; the count lets an event without timers skip the lock.
    std::atomic<std::uint32_t> timerCount{0};
    std::mutex timerLock;
    std::vector<TimerDeadline> timers;
};

// Wakes every waiter of `impl` to look at its deadlines again, without setting it.
void WakeToReadDeadlines(Event::Impl& impl);

}  // namespace kravent::platform
