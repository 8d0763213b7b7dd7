// Periodic timers without a thread: a timer is a period and an absolute deadline kept
// in the event it sets (event_impl.h). The event's waiter sleeps to the deadline itself
// and takes it as a set, so a tick costs one wake-up, of the thread that waits for it.
// Deadlines advance by whole periods from the timer's start, so the period does not
// drift; deadlines missed while the machine was busy are skipped rather than caught up
// in a burst, and ticks that pass while nobody waits leave the event set, as a timer
// thread setting an auto-reset event would.
#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/linux/event_impl.h"

namespace kravent::platform {

namespace {

struct LiveTimer {
    std::uint32_t id;
    Event::Impl* target;
};

class TimerRegistry {
public:
    std::uint32_t Start(std::uint32_t periodMs, Event::Impl& target) {
        const auto period = std::chrono::duration_cast<SteadyClock::duration>(std::chrono::milliseconds(periodMs));
        std::lock_guard lock(mutex_);
        const std::uint32_t id = FreeId();
        try {
            live_.push_back({id, &target});
            std::lock_guard eventLock(target.timerLock);
            target.timers.push_back({id, period, SteadyClock::now() + period});
            target.timerCount.fetch_add(1, std::memory_order_release);
        } catch (...) {
            if (!live_.empty() && live_.back().id == id) live_.pop_back();
            return 0;
        }
        WakeToReadDeadlines(target);  // the new deadline may be the earliest
        return id;
    }

    // When it returns, the timer counts as a set no more.
    void Kill(std::uint32_t id) {
        std::lock_guard lock(mutex_);
        const auto found = std::find_if(live_.begin(), live_.end(), [&](const LiveTimer& t) { return t.id == id; });
        if (found == live_.end()) return;
        Event::Impl& target = *found->target;
        live_.erase(found);
        std::lock_guard eventLock(target.timerLock);
        std::erase_if(target.timers, [&](const TimerDeadline& t) { return t.id == id; });
        target.timerCount.fetch_sub(1, std::memory_order_release);
    }

private:
    // The next identifier after the last one given that is neither 0 nor alive.
    std::uint32_t FreeId() {
        const auto alive = [this](std::uint32_t id) {
            return std::any_of(live_.begin(), live_.end(), [&](const LiveTimer& t) { return t.id == id; });
        };
        do {
            ++lastId_;
        } while (lastId_ == 0 || alive(lastId_));
        return lastId_;
    }

    std::mutex mutex_;
    std::vector<LiveTimer> live_;
    std::uint32_t lastId_ = 0;
};

TimerRegistry& Timers() {
    static TimerRegistry registry;
    return registry;
}

}  // namespace

std::uint32_t StartPeriodicTimer(std::uint32_t periodMs, Event& target) {
    if (periodMs == 0 || periodMs > kMaxTimerPeriodMs) return 0;
    return Timers().Start(periodMs, *target.impl());
}

void KillPeriodicTimer(std::uint32_t timerId) {
    if (timerId != 0) Timers().Kill(timerId);
}

}  // namespace kravent::platform
