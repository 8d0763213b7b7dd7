#include "thread/sender_thread.h"

#include "commanagement/com_management.h"
#include "ethernetcom/ethernet_com.h"
#include "log/error_log.h"

namespace kravent {

using platform::WaitResult;

std::string_view WaitMessages::For(WaitResult result) const {
    switch (result) {
        case WaitResult::Timeout:
            return timeout;
        case WaitResult::Abandoned:
            return abandoned;
        default:
            return other;
    }
}

void SenderThread::Report(std::string_view message) const { WriteErrorLog(message, ComManagement.IpText()); }

SenderThread::Wait SenderThread::Await(platform::Event& event, std::uint32_t timeoutMs,
                                       const WaitMessages& messages) {
    Hold(true);
    const WaitResult result = event.Wait(timeoutMs);
    if (Terminated()) return Wait::Terminated;
    if (result == WaitResult::Signaled) return Wait::Signaled;
    Report(messages.For(result));
    return Wait::Failed;
}

SenderThread::Sent SenderThread::SendPackets(bool stopAtFailure) {
    CComManagement& c = ComManagement;
    Sent sent;
    c.PacketsSent.store(0);
    const std::int32_t count = c.PacketCount.load();
    for (std::int32_t i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (Hold(i > 0)) {
            sent.restart = true;
            sent.terminated = Terminated();
            return sent;
        }
        // Opened and counted before the send: a reply that overtakes SendData finds its
        // exchange open and its packet counted.
        if (i == 0) exchange_ = c.BeginExchange();
        c.PacketsSent.fetch_add(1);
        CEthernetCom* transport = c.EthernetCom.load(std::memory_order_acquire);
        if (transport == nullptr || !transport->SendData(c.Packets().buffer[k], c.Packets().length[k])) {
            Report(messages_.sendFailed);
            sent.failed = true;
            sent.connectionLost = transport == nullptr || transport->Lost();
            if (stopAtFailure || Terminated()) {
                sent.terminated = Terminated();
                return sent;
            }
        } else if (c.Packets().length[k] > 0) {
            sent.ackExpected = true;
        }
        if (Terminated()) {
            sent.terminated = true;
            return sent;
        }
        if (c.PacketsSent.load() < count &&
            Await(c.HevMultiplePacket, kSenderWaitMs, messages_.multiplePacket) == Wait::Terminated) {
            sent.terminated = true;
            return sent;
        }
    }
    return sent;
}

// No yield before the wait: the wait itself gives the processor up, and a yield that
// finds another thread ready costs a switch of its own.
SenderThread::Wait SenderThread::AwaitAck() {
    CComManagement& c = ComManagement;
    Hold(true);
    platform::WaitResult result = c.HevAck.Wait(kSenderWaitMs);
    // An answer that claimed the exchange as the wait ran out sets HevAck right after:
    // the exchange was answered in time.
    if (result != platform::WaitResult::Signaled && !c.EndExchange(exchange_)) result = c.HevAck.Wait(kSenderWaitMs);
    exchange_ = 0;
    if (Terminated()) return Wait::Terminated;
    if (result == platform::WaitResult::Signaled) return Wait::Signaled;
    Report(messages_.ack.For(result));
    return Wait::Failed;
}

void SenderThread::AbandonExchange() {
    ComManagement.EndExchange(exchange_);
    exchange_ = 0;
}

}  // namespace kravent
