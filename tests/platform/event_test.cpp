#include "platform/platform.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace kravent::platform {
namespace {

TEST(Event, SetBeforeWaitLetsOneWaitThroughAndClears) {
    Event event(false);
    event.Set();
    event.Set();  // events do not count
    EXPECT_EQ(event.Wait(0), WaitResult::Signaled);
    EXPECT_EQ(event.Wait(0), WaitResult::Timeout);
}

TEST(Event, InitiallySetIsSignaledOnce) {
    Event event(true);
    EXPECT_EQ(event.Wait(kInfinite), WaitResult::Signaled);
    EXPECT_EQ(event.Wait(0), WaitResult::Timeout);
}

TEST(Event, TimedWaitEndsInTimeoutAfterItsLimit) {
    Event event(false);
    const std::uint64_t start = SteadyMilliseconds();
    EXPECT_EQ(event.Wait(100), WaitResult::Timeout);
    const std::uint64_t elapsed = SteadyMilliseconds() - start;
    EXPECT_GE(elapsed, 99u);
    EXPECT_LT(elapsed, 3000u);
}

TEST(Event, SetFromAnotherThreadWakesAnUnlimitedWait) {
    Event event(false);
    Event started(false);
    std::thread setter([&] {
        started.Wait(kInfinite);
        event.Set();
    });
    started.Set();
    EXPECT_EQ(event.Wait(kInfinite), WaitResult::Signaled);
    setter.join();
}

TEST(Event, EachSetReleasesExactlyOneOfTwoWaiters) {
    Event event(false);
    Event released(false);
    std::atomic<int> passed{0};
    auto waiter = [&] {
        EXPECT_EQ(event.Wait(kInfinite), WaitResult::Signaled);
        passed.fetch_add(1);
        released.Set();
    };
    std::thread first(waiter);
    std::thread second(waiter);

    event.Set();
    ASSERT_EQ(released.Wait(5000), WaitResult::Signaled);
    EXPECT_EQ(released.Wait(200), WaitResult::Timeout);  // the other waiter is still held
    EXPECT_EQ(passed.load(), 1);

    event.Set();
    ASSERT_EQ(released.Wait(5000), WaitResult::Signaled);
    first.join();
    second.join();
    EXPECT_EQ(passed.load(), 2);
    EXPECT_EQ(event.Wait(0), WaitResult::Timeout);
}

TEST(Event, WaiterMayDestroyTheEventRightAfterItsWaitReturns) {
    for (int i = 0; i < 200; ++i) {
        auto event = std::make_unique<Event>(false);
        std::thread setter([e = event.get()] { e->Set(); });
        EXPECT_EQ(event->Wait(5000), WaitResult::Signaled);
        event.reset();  // while Set() may still be returning on the other thread
        setter.join();
    }
}

}  // namespace
}  // namespace kravent::platform
