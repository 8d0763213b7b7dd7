#include "platform/platform.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>

namespace kravent::platform {
namespace {

// A thread whose body is given by the test.
class BodyThread : public Thread {
public:
    BodyThread(std::function<void(BodyThread&)> body, bool suspended) : body_(std::move(body)) {
        created = Create(suspended);
    }
    ~BodyThread() override { Stop(); }

    using Thread::SafePoint;
    bool created = false;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(BodyThread&)> body_;
};

TEST(Thread, CreatedRunningEntersItsBodyAndStopJoinsIt) {
    Event entered(false);
    std::atomic<bool> sawCurrent{false};
    BodyThread thread(
        [&](BodyThread& self) {
            sawCurrent = self.IsCurrent();
            entered.Set();
            while (!self.Terminated()) YieldThread();
        },
        false);
    ASSERT_TRUE(thread.created);
    ASSERT_EQ(entered.Wait(5000), WaitResult::Signaled);
    EXPECT_TRUE(sawCurrent.load());
    EXPECT_FALSE(thread.IsCurrent());
    thread.Stop();
    EXPECT_TRUE(thread.Terminated());
    thread.Stop();  // a second stop changes nothing
}

TEST(Thread, CreatedSuspendedDoesNotRunBeforeResume) {
    Event entered(false);
    BodyThread thread([&](BodyThread&) { entered.Set(); }, true);
    ASSERT_TRUE(thread.created);
    EXPECT_TRUE(thread.Suspended());
    EXPECT_EQ(entered.Wait(200), WaitResult::Timeout);
    thread.Resume();
    EXPECT_FALSE(thread.Suspended());
    EXPECT_EQ(entered.Wait(5000), WaitResult::Signaled);
}

TEST(Thread, StoppedBeforeItsFirstResumeNeverRunsItsBody) {
    std::atomic<bool> ran{false};
    {
        BodyThread thread([&](BodyThread&) { ran = true; }, true);
        thread.Stop();
    }
    EXPECT_FALSE(ran.load());
}

TEST(Thread, SuspendReadsAtOnceAndHoldsTheBodyAtItsSafePoint) {
    Event passed(false);
    Event resumed(false);
    std::atomic<int> rounds{0};
    BodyThread thread(
        [&](BodyThread& self) {
            while (!self.Terminated()) {
                rounds.fetch_add(1);
                passed.Set();
                if (self.SafePoint()) resumed.Set();
            }
        },
        false);
    ASSERT_EQ(passed.Wait(5000), WaitResult::Signaled);

    thread.Suspend();
    EXPECT_TRUE(thread.Suspended());
    // At most the round under way completes; then the body stays at its safe point.
    int extra = 0;
    while (passed.Wait(300) == WaitResult::Signaled) ASSERT_LE(++extra, 2);
    const int held = rounds.load();
    EXPECT_EQ(passed.Wait(200), WaitResult::Timeout);
    EXPECT_EQ(rounds.load(), held);

    thread.Resume();
    EXPECT_EQ(resumed.Wait(5000), WaitResult::Signaled);
    EXPECT_EQ(passed.Wait(5000), WaitResult::Signaled);
}

TEST(Thread, StopReleasesABodyHeldAtItsSafePoint) {
    Event atSafePoint(false);
    std::atomic<bool> sawTermination{false};
    BodyThread thread(
        [&](BodyThread& self) {
            self.Suspend();  // the sender suspends itself like this
            atSafePoint.Set();
            self.SafePoint();
            sawTermination = self.Terminated();
        },
        false);
    ASSERT_EQ(atSafePoint.Wait(5000), WaitResult::Signaled);
    thread.Stop();
    EXPECT_TRUE(sawTermination.load());
}

TEST(Thread, ResumeOfARunningThreadAndRepeatedSuspendChangeNothing) {
    Event go(false);
    Event done(false);
    BodyThread thread(
        [&](BodyThread& self) {
            go.Wait(kInfinite);
            self.SafePoint();
            done.Set();
        },
        false);
    thread.Resume();
    EXPECT_FALSE(thread.Suspended());
    thread.Suspend();
    thread.Suspend();
    go.Set();
    EXPECT_EQ(done.Wait(200), WaitResult::Timeout);
    thread.Resume();  // one resume undoes any number of suspensions
    EXPECT_EQ(done.Wait(5000), WaitResult::Signaled);
}

TEST(Thread, ThreadNeverCreatedIsDestroyedQuietly) {
    class Idle : public Thread {
    protected:
        void Execute() override {}
    };
    Idle idle;
    EXPECT_FALSE(idle.IsCurrent());
}

}  // namespace
}  // namespace kravent::platform
