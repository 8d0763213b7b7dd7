// Periodic timers: one library thread keeps the deadlines of every timer, as the
// multimedia timer serves all timers of a process from one thread. It sleeps until the
// earliest absolute deadline on the steady clock and sets the event of each timer that
// is due. Deadlines advance by whole periods from the timer's start, so the period does
// not drift; deadlines missed while the machine was busy are skipped rather than caught
// up in a burst. The thread runs while at least one timer lives.
#include "platform/platform.h"

#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace kravent::platform {

namespace {

using Clock = std::chrono::steady_clock;

struct PeriodicTimer {
    std::uint32_t id;
    Clock::duration period;
    Event* target;
    Clock::time_point deadline;
};

class TimerService {
public:
    ~TimerService() {
        std::unique_lock lock(mutex_);
        timers_.clear();
        StopThread(lock);
    }

    std::uint32_t Start(std::uint32_t periodMs, Event& target) {
        const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(periodMs));
        std::unique_lock lock(mutex_);
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread(&TimerService::Run, this, generation_);
            } catch (...) {
                return 0;
            }
        }
        const std::uint32_t id = FreeId();
        try {
            timers_.push_back({id, period, &target, Clock::now() + period});
        } catch (...) {
            return 0;
        }
        changed_.notify_all();  // the new deadline may be the earliest
        return id;
    }

    // When it returns, the timer's event is set no more: events are set under the lock.
    void Kill(std::uint32_t id) {
        std::unique_lock lock(mutex_);
        const auto found = std::find_if(timers_.begin(), timers_.end(), [&](const auto& t) { return t.id == id; });
        if (found == timers_.end()) return;
        timers_.erase(found);
        if (timers_.empty()) StopThread(lock);
    }

private:
    // Serves the timers until the generation changes: a thread that is ending never
    // serves beside its successor.
    void Run(std::uint64_t generation) {
        // The finest resolution: no timer slack (50 us by default) on this thread's wake-ups.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        std::unique_lock lock(mutex_);
        while (generation_ == generation) {
            if (timers_.empty()) {
                changed_.wait(lock);
                continue;
            }
            const Clock::time_point now = Clock::now();
            Clock::time_point earliest = Clock::time_point::max();
            for (PeriodicTimer& t : timers_) {
                if (t.deadline <= now) {
                    t.target->Set();
                    t.deadline += t.period;
                    if (t.deadline <= now) t.deadline += ((now - t.deadline) / t.period + 1) * t.period;
                }
                earliest = std::min(earliest, t.deadline);
            }
            changed_.wait_until(lock, earliest);
        }
    }

    // Ends the thread and waits for it.
    void StopThread(std::unique_lock<std::mutex>& lock) {
        if (!thread_.joinable()) return;
        ++generation_;
        changed_.notify_all();
        std::thread ended = std::move(thread_);
        lock.unlock();
        ended.join();
        lock.lock();
    }

    // The next identifier after the last one given that is neither 0 nor alive.
    std::uint32_t FreeId() {
        const auto alive = [this](std::uint32_t id) {
            return std::any_of(timers_.begin(), timers_.end(), [&](const auto& t) { return t.id == id; });
        };
        do {
            ++lastId_;
        } while (lastId_ == 0 || alive(lastId_));
        return lastId_;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<PeriodicTimer> timers_;
    std::uint32_t lastId_ = 0;
    std::uint64_t generation_ = 0;  // of the thread that serves the timers
    std::thread thread_;
};

TimerService& Timers() {
    static TimerService service;
    return service;
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
