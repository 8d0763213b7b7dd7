// The multimedia timer sets its event once per period.
#include "platform/platform.h"
#include "tests/win32/harness.h"

using namespace kravent::platform;

namespace {

// Counts the signals of `event` during `spanMs`.
int CountTicks(Event& event, std::uint64_t spanMs) {
    int ticks = 0;
    const auto end = SteadyMilliseconds() + spanMs;
    for (auto now = SteadyMilliseconds(); now < end; now = SteadyMilliseconds()) {
        if (event.Wait(static_cast<std::uint32_t>(end - now)) == WaitResult::Signaled) ++ticks;
    }
    return ticks;
}

}  // namespace

KRAVENT_CASE(TimerOf100msTicksTenTimesASecond) {
    Event tick(false);
    const auto id = StartPeriodicTimer(100, tick);
    CHECK(id != 0);
    CHECK(tick.Wait(5000) == WaitResult::Signaled);  // in step with the timer
    const int ticks = CountTicks(tick, 2000);
    KillPeriodicTimer(id);
    std::printf("  100 ms timer: %d ticks in 2000 ms\n", ticks);
    CHECK(ticks >= 14);
    CHECK(ticks <= 22);
}

KRAVENT_CASE(TimerOf10msTicksAHundredTimesASecond) {
    Event tick(false);
    const auto id = StartPeriodicTimer(10, tick);
    CHECK(id != 0);
    CHECK(tick.Wait(5000) == WaitResult::Signaled);
    const int ticks = CountTicks(tick, 1000);
    KillPeriodicTimer(id);
    std::printf("  10 ms timer: %d ticks in 1000 ms\n", ticks);
    // Ticks that fall while the waiter is descheduled merge, so only the top is tight.
    CHECK(ticks >= 50);
    CHECK(ticks <= 110);
}

KRAVENT_CASE(KilledTimerTicksNoMore) {
    Event tick(false);
    const auto id = StartPeriodicTimer(20, tick);
    CHECK(tick.Wait(5000) == WaitResult::Signaled);
    KillPeriodicTimer(id);
    tick.Wait(100);  // a tick already under way
    tick.Wait(0);
    CHECK(tick.Wait(300) == WaitResult::Timeout);
    KillPeriodicTimer(id);  // a second kill is harmless
    KillPeriodicTimer(0);
}

KRAVENT_CASE(TimerRefusesPeriodsItCannotServe) {
    Event tick(false);
    CHECK(StartPeriodicTimer(0, tick) == 0);
    CHECK(StartPeriodicTimer(kMaxTimerPeriodMs + 1, tick) == 0);
}
