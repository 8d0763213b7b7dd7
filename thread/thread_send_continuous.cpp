#include "thread/thread_send_continuous.h"

#include "commanagement/com_management.h"

namespace kravent {

namespace {

#define KRAVENT_REPETITIVE_WAIT(EVENT)                                                \
    WaitMessages {                                                                    \
        "Event " EVENT " Timeout reached\t(TThreadSendContinuous::Execute)",          \
            "Event " EVENT " Abandoned\t(TThreadSendContinuous::Execute)",            \
            "Event " EVENT " Unknown error\t(TThreadSendContinuous::Execute)"         \
    }

const WaitMessages kTimerMessages = KRAVENT_REPETITIVE_WAIT("HevTimer");
const SenderMessages kMessages{KRAVENT_REPETITIVE_WAIT("HevSync"), KRAVENT_REPETITIVE_WAIT("HevMultiplePacket"),
                               KRAVENT_REPETITIVE_WAIT("HevAck"),
                               "EthernetCom->SendData Failed\t(TThreadProcess::Execute)"};
#undef KRAVENT_REPETITIVE_WAIT

constexpr std::string_view kFillFailedMessage = "FillPacketToSendContinuous Failed\t(TThreadProcess::Execute)";

}  // namespace

TThreadSendContinuous::TThreadSendContinuous(CComManagement& connection) : SenderThread(connection, kMessages) {
    TimerID.store(platform::StartPeriodicTimer(static_cast<std::uint32_t>(kDefaultPollPeriodMs), connection.HevTimer));
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
    const std::uint32_t timer = platform::StartPeriodicTimer(static_cast<std::uint32_t>(periodMs), ComManagement.HevTimer);
    if (timer != 0) {
        platform::KillPeriodicTimer(TimerID.exchange(timer));
        TimeMiliSec.store(periodMs);
    }
    if (!wasSuspended) Resume();
    return timer != 0;
}

void TThreadSendContinuous::ReleaseToken() {
    if (holdsToken_.exchange(false, std::memory_order_acq_rel)) ComManagement.HevSync.Set();
}

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
    CComManagement& c = ComManagement;
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
        const Wait tick = Await(c.HevTimer, platform::kInfinite, kTimerMessages);
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

TThreadSendContinuous::Cycle TThreadSendContinuous::RunCycle() {
    CComManagement& c = ComManagement;
    if (HoldIfSuspended()) return Terminated() ? Cycle::Terminated : Cycle::Restart;
    const Wait sync = Await(c.HevSync, kSenderWaitMs, messages_.sync);
    if (sync == Wait::Terminated) return Cycle::Terminated;
    if (sync == Wait::Failed) return Cycle::Restart;
    holdsToken_.store(true, std::memory_order_release);

    if (!c.FillPacketToSendContinuous()) {
        Report(kFillFailedMessage);
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
