#include "platform/platform.h"

#include <gtest/gtest.h>

namespace kravent::platform {
namespace {

// Counts the sets of `event` that come within `spanMs`, by waiting on the event.
int CountSets(Event& event, std::uint64_t spanMs) {
    int sets = 0;
    const std::uint64_t end = SteadyMilliseconds() + spanMs;
    for (std::uint64_t now = SteadyMilliseconds(); now < end; now = SteadyMilliseconds()) {
        if (event.Wait(static_cast<std::uint32_t>(end - now)) == WaitResult::Signaled) ++sets;
    }
    return sets;
}

TEST(PeriodicTimer, SetsItsEventOncePerPeriod) {
    Event tick(false);
    const std::uint32_t id = StartPeriodicTimer(100, tick);
    ASSERT_NE(id, 0u);
    const int sets = CountSets(tick, 1000);
    KillPeriodicTimer(id);
    EXPECT_GE(sets, 7);
    EXPECT_LE(sets, 11);
}

TEST(PeriodicTimer, FirstSetComesAfterOnePeriod) {
    Event tick(false);
    const std::uint64_t start = SteadyMilliseconds();
    const std::uint32_t id = StartPeriodicTimer(200, tick);
    ASSERT_EQ(tick.Wait(5000), WaitResult::Signaled);
    const std::uint64_t elapsed = SteadyMilliseconds() - start;
    KillPeriodicTimer(id);
    EXPECT_GE(elapsed, 195u);
    EXPECT_LT(elapsed, 3000u);
}

TEST(PeriodicTimer, OneMillisecondPeriodWorks) {
    Event tick(false);
    const std::uint32_t id = StartPeriodicTimer(1, tick);
    ASSERT_NE(id, 0u);
    int sets = 0;
    const std::uint64_t start = SteadyMilliseconds();
    while (sets < 100 && tick.Wait(1000) == WaitResult::Signaled) ++sets;
    const std::uint64_t elapsed = SteadyMilliseconds() - start;
    KillPeriodicTimer(id);
    EXPECT_EQ(sets, 100);
    EXPECT_LT(elapsed, 5000u);
}

// One thread serves every timer: a short period started while a long deadline is
// awaited is served on time, and a timer keeps its period beside a faster one.
TEST(PeriodicTimer, TimersOfDifferentPeriodsShareTheService) {
    Event never(false);
    Event fast(false);
    Event slow(false);
    const std::uint32_t distant = StartPeriodicTimer(kMaxTimerPeriodMs, never);
    const std::uint64_t start = SteadyMilliseconds();
    const std::uint32_t a = StartPeriodicTimer(20, fast);
    ASSERT_EQ(fast.Wait(5000), WaitResult::Signaled);
    EXPECT_GE(SteadyMilliseconds() - start, 19u);
    const std::uint32_t b = StartPeriodicTimer(100, slow);
    const int slowSets = CountSets(slow, 1000);
    KillPeriodicTimer(a);
    KillPeriodicTimer(b);
    KillPeriodicTimer(distant);
    EXPECT_GE(slowSets, 7);
    EXPECT_LE(slowSets, 11);
}

TEST(PeriodicTimer, KilledTimerNeverSetsItsEventAgain) {
    Event tick(false);
    const std::uint32_t id = StartPeriodicTimer(5, tick);
    ASSERT_EQ(tick.Wait(5000), WaitResult::Signaled);
    KillPeriodicTimer(id);
    tick.Wait(0);  // a set from just before the kill
    EXPECT_EQ(tick.Wait(300), WaitResult::Timeout);
}

TEST(PeriodicTimer, RefusesPeriodsItCannotServe) {
    Event tick(false);
    EXPECT_EQ(StartPeriodicTimer(0, tick), 0u);
    EXPECT_EQ(StartPeriodicTimer(kMaxTimerPeriodMs + 1, tick), 0u);
    const std::uint32_t longest = StartPeriodicTimer(kMaxTimerPeriodMs, tick);
    EXPECT_NE(longest, 0u);
    KillPeriodicTimer(longest);  // returns at once although the deadline is far away
}

TEST(PeriodicTimer, TimersAreIndependentAndUnknownIdsIgnored) {
    Event fast(false);
    Event slow(false);
    const std::uint32_t a = StartPeriodicTimer(10, fast);
    const std::uint32_t b = StartPeriodicTimer(10, slow);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    KillPeriodicTimer(0);
    KillPeriodicTimer(a + b + 1000);
    KillPeriodicTimer(a);
    KillPeriodicTimer(a);  // already gone
    fast.Wait(0);
    EXPECT_EQ(slow.Wait(5000), WaitResult::Signaled);
    EXPECT_EQ(fast.Wait(200), WaitResult::Timeout);
    KillPeriodicTimer(b);
}

}  // namespace
}  // namespace kravent::platform
