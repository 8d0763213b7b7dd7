#include "thread/thread_send.h"

#include "commanagement/com_management.h"
#include "thread/thread_send_continuous.h"

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
    // The token is awaited unless the repetitive sender is suspended and has given it
    // back; even then it is taken when free, so that a resume cannot overlap this cycle.
    const TThreadSendContinuous& repetitive = *c.ThreadSendContinuous;
    bool token = false;
    if (!repetitive.Suspended() || repetitive.HoldsToken()) {
        const Wait sync = Await(c.HevSync, kSenderWaitMs, messages_.sync);
        if (sync == Wait::Terminated) return false;
        if (sync == Wait::Failed) {
            EndCycle(false, false);  // the flags stay set for the next trigger
            return true;
        }
        token = true;
    } else {
        token = c.HevSync.Wait(0) == platform::WaitResult::Signaled;
    }

    if (!c.FillPacketToSend()) {
        Report(kFillFailedMessage);
        EndCycle(token, false);
        return true;
    }
    if (Terminated()) return false;

    const Sent sent = SendPackets(true);
    if (sent.terminated) return false;
    if (sent.failed || !sent.ackExpected) {
        AbandonExchange();
        EndCycle(token, false);
        return true;
    }
    const Wait ack = AwaitAck();
    if (ack == Wait::Terminated) return false;
    EndCycle(token, ack == Wait::Signaled);
    return true;
}

void TThreadSend::EndCycle(bool tokenTaken, bool replyDelivered) {
    CComManagement& c = ComManagement;
    if (!replyDelivered) c.ReplyReceived.store(true);
    // A token that was not taken belongs to its holder: setting it would make two.
    if (tokenTaken) c.HevSync.Set();
}

}  // namespace kravent
