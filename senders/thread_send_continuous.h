// The repetitive sender: once per period of its timer it takes the connection, asks
// the module for every register of the repetitive set and waits for the answer.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "senders/sender_thread.h"

namespace kravent {

inline constexpr std::int32_t kDefaultPollPeriodMs = 100;

class TThreadSendContinuous : public SenderThread {
public:
    // Suspended; its timer runs from now on, setting HevTimer every 100 ms.
    explicit TThreadSendContinuous(SenderLink& connection);
    // Ends the thread, then stops its timer.
    ~TThreadSendContinuous() override;

    // Clears StopRequest and resumes the thread.
    void Start();
    // Suspends the thread wherever it is; it stops at its next safe point.
    void SuspendNow();
    // The thread suspends itself at its next tick.
    void RequestStop() { StopRequest.store(true); }
    // Replaces the timer by one of `periodMs`; a running thread goes on running, a
    // suspended one stays suspended. False, with timer and period unchanged, when the
    // platform's timer cannot serve that period.
    bool SetPeriod(std::int32_t periodMs);

protected:
    void Execute() override;
    bool Hold(bool replyOutstanding) override;

private:
    enum class Cycle { Done, Restart, Terminated };
    Cycle RunCycle();
    // If suspended: gives the token back and waits until resumed. True when it was held.
    bool HoldIfSuspended();
    void ReleaseToken();

    std::atomic<std::uint32_t> TimerID{0};
    std::atomic<bool> StopRequest{false};
    // Orders the self-suspension at a tick against Start() and SetPeriod(), so that
    // neither a start nor a restored state is lost.
    std::mutex controlLock_;
};

}  // namespace kravent
