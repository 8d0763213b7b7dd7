// How a connection comes into being and is taken down, and the two handlers through
// which its transport reports received bytes and socket events.
#include "connection/com_management.h"
#include "connection/delivery_scope.h"
#include "tcp/ethernet_com.h"
#include "log/error_log.h"
#include "senders/thread_send.h"
#include "senders/thread_send_continuous.h"

namespace kravent {

CComManagement::CComManagement() noexcept {
    // The events exist already (members); the repetitive sender comes first, since the
    // one-shot sender reads its state.
    try {
        ThreadSendContinuous = std::make_unique<TThreadSendContinuous>(*this);
        ThreadSend = std::make_unique<TThreadSend>(*this);
    } catch (...) {
        // Without threads the connection sends nothing; its state stays consistent.
    }
}

CComManagement::~CComManagement() {
    // Other threads waiting to deliver one of its callbacks give up, so that this close
    // never waits for them while they wait for a callback that waits for it.
    closing_.Mark();
    // A handler still waiting for an open that failed goes on; the transport's
    // destruction below waits for it.
    MarkOpened();
    // A sender waiting on the socket for its answer goes back to its events.
    if (CEthernetCom* transport = EthernetCom.load(std::memory_order_acquire)) transport->InterruptReceivers();
    // Every wait of either sender returns at once once its events are set.
    if (ThreadSend) {
        ThreadSend->Resume();
        ThreadSend->Terminate();
    }
    if (ThreadSendContinuous) {
        ThreadSendContinuous->Resume();
        ThreadSendContinuous->Terminate();
    }
    ConnectionEvents& e = Events_;
    e.HevMultiplePacket.Set();
    e.HevSync.Set();
    e.HevAck.Set();
    e.HevNewSend.Set();
    ThreadSend.reset();

    e.HevMultiplePacket.Set();
    e.HevSync.Set();
    e.HevTimer.Set();
    e.HevAck.Set();
    ThreadSendContinuous.reset();  // and its timer

    // A notification under way on another thread is waited for here; the events it may
    // set are still alive.
    delete EthernetCom.exchange(nullptr);
}

void CComManagement::CallDataReceived() {
    const CallbackTurn turn(closing_);
    if (turn.Held() && DataReceived != nullptr) DataReceived(&Receiver.Record(), Handle());
}

void CComManagement::DeliverRecord(const ::RegisterValues&) { CallDataReceived(); }

void CComManagement::ReportFailure(const ReplyStep& step) { ReportReplyFailure(step); }

void CComManagement::MarkOpened() {
    opened_.store(true, std::memory_order_release);
    opened_.notify_all();
}

// On Windows the notifications run on the opening thread once it dispatches, after the
// open: this never waits there. On Linux the notification thread may wait here for the
// few steps that the open has left after starting the connection attempt.
void CComManagement::WaitUntilOpened() { opened_.wait(false, std::memory_order_acquire); }

void CComManagement::OnDataReceived(void* connection, const std::uint8_t* bytes, std::int32_t count,
                                    CEthernetCom* transport) {
    auto& c = *static_cast<CComManagement*>(connection);
    c.WaitUntilOpened();
    DeliveryScope scope(c);
    if (transport == nullptr || count <= 0) return;
    const auto locked = [&c](auto step) { return c.WithExchange(step); };
    switch (ReceiveNotification(locked, c.Receiver, bytes, static_cast<std::size_t>(count), c)) {
        case Exchange::Next::Nothing:
            return;
        case Exchange::Next::NextPacket:
            c.Events_.HevMultiplePacket.Set();
            return;
        case Exchange::Next::Deliver:
            c.Events_.HevAck.Set();
            return;
    }
}

void CComManagement::OnComEvent(void* connection, std::int32_t code, CEthernetCom* transport) {
    auto& c = *static_cast<CComManagement*>(connection);
    c.WaitUntilOpened();
    DeliveryScope scope(c);
    if (transport == nullptr) {
        WriteErrorLog("Pointer on ethernet communication not valid. ComID = NULL\t(Com_Event)", kNoAddress);
        return;
    }
    const CallbackTurn turn(c.closing_);
    if (turn.Held() && c.ComEvent != nullptr) c.ComEvent(code, c.Handle());
}

}  // namespace kravent
