#include "senders/thread_send_continuous.h"

namespace kravent {

TThreadSendContinuous::TThreadSendContinuous(SenderLink& connection)
    : SenderThread(connection, kRepetitiveMessages, SenderRole::Repetitive) {
    TimerID.store(platform::StartPeriodicTimer(static_cast<std::uint32_t>(kDefaultPollPeriodMs), events_.HevTimer));
    Create(true);
}

TThreadSendContinuous::~TThreadSendContinuous() {
    Stop();
    platform::KillPeriodicTimer(TimerID.exchange(0));
}

void TThreadSendContinuous::SuspendNow() {
    std::lock_guard lock(controlLock_);
    Suspend();
}

void TThreadSendContinuous::Start() {
    std::lock_guard lock(controlLock_);
    StopRequest.store(false);
    Resume();
}

bool TThreadSendContinuous::SetPeriod(std::int32_t periodMs) {
    std::lock_guard lock(controlLock_);
    const bool wasSuspended = Suspended();
    Suspend();
    const std::uint32_t timer = platform::StartPeriodicTimer(static_cast<std::uint32_t>(periodMs), events_.HevTimer);
    if (timer != 0) platform::KillPeriodicTimer(TimerID.exchange(timer));
    if (!wasSuspended) Resume();
    return timer != 0;
}

void TThreadSendContinuous::ReleaseToken() { connection_.ReleaseToken(role_); }

bool TThreadSendContinuous::HoldIfSuspended() {
    if (!Suspended()) return false;
    ReleaseToken();
    SafePoint();
    return true;
}

// While a reply is outstanding the exchange is finished first (its wait is bounded), so
// that a late answer is never taken for the next exchange's.
bool TThreadSendContinuous::Hold(bool replyOutstanding) { return !replyOutstanding && HoldIfSuspended(); }

void TThreadSendContinuous::Execute() {
    for (;;) {
        const Cycle cycle = RunCycle();
        ReleaseToken();
        if (cycle == Cycle::Terminated) return;
        if (cycle == Cycle::Restart) continue;

        // The next tick. Ticks that fell during the cycle left the event set, so a cycle
        // longer than the period is followed by the next one at once.
        if (HoldIfSuspended()) {
            if (Terminated()) return;
            continue;
        }
        const Wait tick = Await(events_.HevTimer, platform::kInfinite, messages_.wakeUp);
        if (tick == Wait::Terminated) return;
        if (tick == Wait::Failed) continue;
        {
            std::lock_guard lock(controlLock_);
            if (StopRequest.load()) Suspend();
        }
        HoldIfSuspended();
        if (Terminated()) return;
    }
}

// token -> assembly of the repetitive set -> packets -> acknowledgement; the caller
// gives the token back on every way out.
TThreadSendContinuous::Cycle TThreadSendContinuous::RunCycle() {
    if (HoldIfSuspended()) return Terminated() ? Cycle::Terminated : Cycle::Restart;
    // A host's request waits: this period's poll gives way to it.
    if (connection_.OneShotWaiting()) return Cycle::Done;
    const Wait sync = Await(events_.HevSync, kSenderWaitMs, messages_.sync);
    if (sync == Wait::Terminated) return Cycle::Terminated;
    if (sync == Wait::Failed) return Cycle::Restart;
    connection_.TokenTaken(role_);

    if (!connection_.FillPacketToSendContinuous()) {
        connection_.Report(messages_.fillFailed);
        return Cycle::Restart;
    }
    if (Terminated()) return Cycle::Terminated;

    const Sent sent = SendPackets(false);
    if (sent.terminated || Terminated()) return Cycle::Terminated;
    if (sent.connectionLost) {
        // Every later tick would fail the same way and log it: polling waits for the
        // host's next start instead, which tries once more.
        AbandonExchange();
        SuspendNow();
        return Cycle::Restart;
    }
    if (sent.restart || !sent.ackExpected) AbandonExchange();
    if (sent.restart) return Cycle::Restart;
    if (!sent.ackExpected) return Cycle::Done;
    const Wait ack = AwaitAck();
    if (ack == Wait::Terminated) return Cycle::Terminated;
    // After an acknowledgement time-out the cycle starts over at the token.
    return ack == Wait::Signaled ? Cycle::Done : Cycle::Restart;
}

}  // namespace kravent
