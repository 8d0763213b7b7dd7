// The time that drives the motor model: the steady clock, or a manual clock that
// only moves when a test advances it, so motion can be checked step by step.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace kravent::sim {

class SimClock {
public:
    explicit SimClock(bool manual = false) : manual_(manual) {}
    std::uint64_t NowMs() const {
        if (manual_.load()) return manualMs_.load();
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count());
    }
    // Switching to manual keeps the time reached so far.
    void SetManual(bool manual) {
        if (manual && !manual_.load()) manualMs_.store(NowMs());
        manual_.store(manual);
    }
    void Advance(std::uint64_t ms) { manualMs_.fetch_add(ms); }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::atomic<bool> manual_;
    std::atomic<std::uint64_t> manualMs_{0};
};

}  // namespace kravent::sim
