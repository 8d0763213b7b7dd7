#include "thread/thread_send.h"

#include "commanagement/com_management.h"

namespace kravent {

namespace {

#define KRAVENT_ONE_SHOT_WAIT(EVENT)                                                  \
    WaitMessages {                                                                    \
        "Event " EVENT " Timeout reached\t(TThreadSend::Execute)",                    \
            "Event " EVENT " Abandoned\t(TThreadSend::Execute)",                      \
            "Event " EVENT " Unknown error\t(TThreadSend::Execute)"                   \
    }

const WaitMessages kNewSendMessages = KRAVENT_ONE_SHOT_WAIT("HevNewSend");
const SenderMessages kMessages{KRAVENT_ONE_SHOT_WAIT("HevSync"), KRAVENT_ONE_SHOT_WAIT("HevMultiplePacket"),
                               KRAVENT_ONE_SHOT_WAIT("HevAck"), "EthernetCom->SendData Failed\t(TThreadSend::Execute)"};
#undef KRAVENT_ONE_SHOT_WAIT

constexpr std::string_view kFillFailedMessage = "FillPacketToSend Failed\t(TThreadSend::Execute)";

}  // namespace

TThreadSend::TThreadSend(CComManagement& connection) : SenderThread(connection, kMessages) { Create(false); }

TThreadSend::~TThreadSend() { Stop(); }

bool TThreadSend::Hold(bool) {
    SafePoint();
    return false;
}

void TThreadSend::Execute() {
    CComManagement& c = ComManagement;
    for (;;) {
        const Wait trigger = Await(c.HevNewSend, platform::kInfinite, kNewSendMessages);
        if (trigger == Wait::Terminated) return;
        if (trigger == Wait::Failed) continue;
        if (!RunCycle()) return;
        if (Terminated()) return;
    }
}

bool TThreadSend::RunCycle() {
    CComManagement& c = ComManagement;
    // While the repetitive sender is suspended and has given the token back the token
    // is free, and taking it costs nothing. It is still taken, and awaited when it is
    // not free: a resume from another host thread between the test and the send would
    // otherwise let both senders fill the shared packet buffers at once.
    const Wait sync = Await(c.HevSync, kSenderWaitMs, messages_.sync);
    if (sync == Wait::Terminated) return false;
    if (sync == Wait::Failed) {
        c.ReplyReceived.store(true);  // the flags stay set for the next trigger
        return true;
    }

    if (!c.FillPacketToSend()) {
        Report(kFillFailedMessage);
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
    CComManagement& c = ComManagement;
    if (!replyDelivered) c.ReplyReceived.store(true);
    c.HevSync.Set();
}

}  // namespace kravent
