#include "senders/thread_send.h"

namespace kravent {

TThreadSend::TThreadSend(SenderLink& connection) : SenderThread(connection, kOneShotMessages, SenderRole::OneShot) {
    Create(false);
}

TThreadSend::~TThreadSend() { Stop(); }

bool TThreadSend::Hold(bool) {
    SafePoint();
    return false;
}

void TThreadSend::Execute() {
    for (;;) {
        const Wait trigger = Await(events_.HevNewSend, platform::kInfinite, messages_.wakeUp);
        if (trigger == Wait::Terminated) return;
        if (trigger == Wait::Failed) continue;
        if (!RunCycle()) return;
        if (Terminated()) return;
    }
}

// token -> assembly -> packets, each answered before the next -> acknowledgement -> token
// back. Every way out of a cycle that took the token gives it back.
bool TThreadSend::RunCycle() {
    // While the repetitive sender is suspended and has given the token back the token
    // is free, and taking it costs nothing. It is still taken, and awaited when it is
    // not free: a resume from another host thread between a test and the send would
    // otherwise let both senders fill the shared packet buffers at once.
    connection_.OneShotWaits(true);
    const Wait sync = Await(events_.HevSync, kSenderWaitMs, messages_.sync);
    if (sync != Wait::Signaled) connection_.OneShotWaits(false);
    if (sync == Wait::Terminated) return false;
    if (sync == Wait::Failed) {
        connection_.ReplyAbandoned();  // the flags stay set for the next trigger
        return true;
    }
    connection_.TokenTaken(role_);

    if (!connection_.FillPacketToSend()) {
        connection_.Report(messages_.fillFailed);
        EndCycle(false);
        return true;
    }
    if (Terminated()) return false;

    const Sent sent = SendPackets(true);
    if (sent.terminated) return false;
    if (sent.failed || !sent.ackExpected) {
        AbandonExchange();
        EndCycle(false);
        return true;
    }
    const Wait ack = AwaitAck();
    if (ack == Wait::Terminated) return false;
    EndCycle(ack == Wait::Signaled);
    return true;
}

void TThreadSend::EndCycle(bool replyDelivered) {
    if (!replyDelivered) connection_.ReplyAbandoned();
    connection_.ReleaseToken(role_);
}

}  // namespace kravent
