// Events, waits and threads with cooperative suspension.
#include <atomic>

#include "platform/platform.h"
#include "tests/win32/harness.h"

using namespace kravent::platform;

namespace {

// A body that passes a safe point in a loop and counts its rounds.
class CountingThread : public Thread {
public:
    explicit CountingThread(bool suspended) { Create(suspended); }
    ~CountingThread() override { Stop(); }

    std::atomic<int> rounds{0};
    std::atomic<bool> started{false};
    std::atomic<bool> sawItselfCurrent{false};
    Event round{false};   // set after every round
    Event resumed{false};  // set when a safe point held the thread

protected:
    void Execute() override {
        started = true;
        sawItselfCurrent = IsCurrent();
        while (!Terminated()) {
            if (SafePoint()) resumed.Set();
            ++rounds;
            round.Set();
            YieldThread();
        }
    }
};

}  // namespace

KRAVENT_CASE(EventIsAutoResetAndDoesNotCount) {
    Event event(false);
    CHECK(event.Wait(0) == WaitResult::Timeout);
    event.Set();
    event.Set();  // a second set of a set event changes nothing
    CHECK(event.Wait(0) == WaitResult::Signaled);
    CHECK(event.Wait(0) == WaitResult::Timeout);
    Event initially(true);
    CHECK(initially.Wait(0) == WaitResult::Signaled);
    CHECK(initially.Wait(0) == WaitResult::Timeout);
}

KRAVENT_CASE(WaitTimesOutAfterItsLimit) {
    Event event(false);
    const auto begin = SteadyMilliseconds();
    CHECK(event.Wait(100) == WaitResult::Timeout);
    const auto elapsed = SteadyMilliseconds() - begin;
    CHECK(elapsed >= 90);
    CHECK(elapsed < 2000);
}

KRAVENT_CASE(SetFromAnotherThreadWakesTheWaiter) {
    struct Setter : Thread {
        Event& target;
        explicit Setter(Event& e) : target(e) { Create(false); }
        ~Setter() override { Stop(); }
        void Execute() override { target.Set(); }
    };
    Event event(false);
    Setter setter(event);
    CHECK(event.Wait(10000) == WaitResult::Signaled);
}

KRAVENT_CASE(ThreadCreatedSuspendedRunsOnlyAfterResume) {
    CountingThread thread(true);
    CHECK(thread.Suspended());
    CHECK(thread.round.Wait(200) == WaitResult::Timeout);
    CHECK(!thread.started);
    thread.Resume();
    CHECK(!thread.Suspended());
    CHECK(thread.round.Wait(10000) == WaitResult::Signaled);
    CHECK(thread.started);
    CHECK(thread.sawItselfCurrent);
    CHECK(!thread.IsCurrent());
}

KRAVENT_CASE(SuspendHoldsTheBodyAtItsNextSafePoint) {
    CountingThread thread(false);
    CHECK(thread.round.Wait(10000) == WaitResult::Signaled);
    thread.Suspend();
    CHECK(thread.Suspended());
    // At most the round under way ends; after that the count stays still.
    thread.round.Wait(1000);
    thread.round.Wait(0);
    const int held = thread.rounds;
    CHECK(thread.round.Wait(300) == WaitResult::Timeout);
    CHECK(thread.rounds == held);
    thread.Resume();
    CHECK(thread.resumed.Wait(10000) == WaitResult::Signaled);  // SafePoint reported the hold
    CHECK(thread.round.Wait(10000) == WaitResult::Signaled);
    CHECK(thread.rounds > held);
}

KRAVENT_CASE(StopEndsASuspendedThreadAndNeverRunsAnUnstartedBody) {
    {
        CountingThread running(false);
        CHECK(running.round.Wait(10000) == WaitResult::Signaled);
        running.Suspend();
        running.Stop();  // must not hang on the held thread
        CHECK(running.Terminated());
    }
    CountingThread never(true);
    never.Stop();
    CHECK(!never.started);
}
