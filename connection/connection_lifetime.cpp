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
    // A handler still waiting for an open that failed goes on; the transport's
    // destruction below waits for it.
    MarkOpened();
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

std::uint32_t CComManagement::BeginExchange() {
    Events_.HevAck.Wait(0);
    Events_.HevMultiplePacket.Wait(0);
    std::uint32_t exchange = exchangeCount_.fetch_add(1, std::memory_order_relaxed) + 1;
    if (exchange == 0) exchange = exchangeCount_.fetch_add(1, std::memory_order_relaxed) + 1;
    openExchange_.store(exchange, std::memory_order_release);
    return exchange;
}

bool CComManagement::EndExchange(std::uint32_t exchange) {
    return openExchange_.compare_exchange_strong(exchange, 0, std::memory_order_acq_rel);
}

void CComManagement::CallDataReceived() {
    if (DataReceived != nullptr) DataReceived(&RegisterValues, Handle());
}

void CComManagement::MarkOpened() {
    opened_.store(true, std::memory_order_release);
    opened_.notify_all();
}

// On Windows the notifications run on the opening thread once it dispatches, after the
// open: this never waits there. On Linux the notification thread may wait here for the
// few steps that the open has left after starting the connection attempt.
void CComManagement::WaitUntilOpened() { opened_.wait(false, std::memory_order_acquire); }

void CComManagement::OnDataReceived(void* connection, std::int32_t, CEthernetCom* transport) {
    auto& c = *static_cast<CComManagement*>(connection);
    c.WaitUntilOpened();
    DeliveryScope scope(c);
    if (transport == nullptr) return;
    // Taken before the bytes: whatever the sender does meanwhile, these bytes answer the
    // exchange that was open when they came, or none.
    Notification n = c.BeginNotification();
    for (std::int32_t offset = 0;;) {
        std::int32_t count = static_cast<std::int32_t>(kRxChunkSize);
        transport->CopyReceived(c.RxChunk, &count, offset);
        if (count <= 0) break;
        c.ReceiveBytes(n, c.RxChunk, static_cast<std::size_t>(count));
        offset += count;
    }
    c.DeliverStray();
    if (!n.answered) return;

    if (c.PacketsRemain()) {
        if (c.openExchange_.load(std::memory_order_acquire) == n.exchange) c.Events_.HevMultiplePacket.Set();
        return;
    }
    // Before the host is called, so that it may trigger the next send from its callback;
    // the sender goes on only once the callback has returned.
    c.ReplyReceived.store(true);
    c.CallDataReceived();
    if (c.EndExchange(n.exchange)) c.Events_.HevAck.Set();
}

void CComManagement::OnComEvent(void* connection, std::int32_t code, CEthernetCom* transport) {
    auto& c = *static_cast<CComManagement*>(connection);
    c.WaitUntilOpened();
    DeliveryScope scope(c);
    if (transport == nullptr) {
        WriteErrorLog("Pointer on ethernet communication not valid. ComID = NULL\t(Com_Event)", kNoAddress);
        return;
    }
    if (c.ComEvent != nullptr) c.ComEvent(code, c.Handle());
}

}  // namespace kravent
