// Periodic timers: each live timer has a thread of its own that sleeps until its next
// absolute deadline on the steady clock and sets its event. Deadlines advance by whole
// periods from the start, so the period does not drift; deadlines missed while the
// machine was busy are skipped rather than caught up in a burst.
#include "platform/platform.h"

#include <sys/prctl.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace kravent::platform {

namespace {

using Clock = std::chrono::steady_clock;

struct PeriodicTimer {
    PeriodicTimer(std::uint32_t periodMs, Event& event) : period(periodMs), target(event) {}

    void Run(Clock::time_point start) {
        // The finest resolution: no timer slack (50 us by default) on this thread's wake-ups.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        Clock::time_point deadline = start + period;
        std::unique_lock lock(mutex);
        while (!killed.wait_until(lock, deadline, [this] { return stop; })) {
            target.Set();
            const Clock::time_point now = Clock::now();
            deadline += period;
            if (deadline <= now) deadline += ((now - deadline) / period + 1) * period;
        }
    }

    const std::chrono::milliseconds period;
    Event& target;
    std::mutex mutex;
    std::condition_variable killed;
    bool stop = false;
    std::thread thread;
};

void Finish(PeriodicTimer& timer) {
    {
        std::lock_guard lock(timer.mutex);
        timer.stop = true;
        timer.killed.notify_one();
    }
    timer.thread.join();
}

class TimerRegistry {
public:
    ~TimerRegistry() {
        for (auto& [id, timer] : timers_) Finish(*timer);
    }

    std::uint32_t Start(std::uint32_t periodMs, Event& target) {
        auto timer = std::make_unique<PeriodicTimer>(periodMs, target);
        std::lock_guard lock(mutex_);
        const std::uint32_t id = FreeId();
        try {
            timer->thread = std::thread(&PeriodicTimer::Run, timer.get(), Clock::now());
        } catch (...) {
            return 0;
        }
        timers_.emplace(id, std::move(timer));
        return id;
    }

    void Kill(std::uint32_t id) {
        std::unique_ptr<PeriodicTimer> timer;
        {
            std::lock_guard lock(mutex_);
            const auto found = timers_.find(id);
            if (found == timers_.end()) return;
            timer = std::move(found->second);
            timers_.erase(found);
        }
        Finish(*timer);
    }

private:
    // The next identifier after the last one given that is neither 0 nor alive.
    std::uint32_t FreeId() {
        do {
            ++lastId_;
        } while (lastId_ == 0 || timers_.count(lastId_) != 0);
        return lastId_;
    }

    std::mutex mutex_;
    std::map<std::uint32_t, std::unique_ptr<PeriodicTimer>> timers_;
    std::uint32_t lastId_ = 0;
};

TimerRegistry& Timers() {
    static TimerRegistry registry;
    return registry;
}

}  // namespace

std::uint32_t StartPeriodicTimer(std::uint32_t periodMs, Event& target) {
    if (periodMs == 0 || periodMs > kMaxTimerPeriodMs) return 0;
    return Timers().Start(periodMs, target);
}

void KillPeriodicTimer(std::uint32_t timerId) {
    if (timerId != 0) Timers().Kill(timerId);
}

}  // namespace kravent::platform
