#include "senders/sender_thread.h"

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

SenderThread::Wait SenderThread::Await(platform::Event& event, std::uint32_t timeoutMs,
                                       const WaitMessages& messages) {
    Hold(true);
    const WaitResult result = event.Wait(timeoutMs);
    if (Terminated()) return Wait::Terminated;
    if (result == WaitResult::Signaled) return Wait::Signaled;
    connection_.Report(messages.For(result));
    return Wait::Failed;
}

SenderThread::Sent SenderThread::SendPackets(bool stopAtFailure) {
    Sent sent;
    const std::int32_t count = connection_.PacketCount();
    for (std::int32_t i = 0; i < count; ++i) {
        if (Hold(i > 0)) {
            sent.restart = true;
            sent.terminated = Terminated();
            return sent;
        }
        if (i == 0) exchange_ = connection_.BeginExchange();
        const PacketSend packet = connection_.SendPacket(i);
        if (!packet.sent) {
            connection_.Report(messages_.sendFailed);
            sent.failed = true;
            sent.connectionLost = packet.connectionLost;
            if (stopAtFailure || Terminated()) {
                sent.terminated = Terminated();
                return sent;
            }
        } else if (packet.carriedBytes) {
            sent.ackExpected = true;
        }
        if (Terminated()) {
            sent.terminated = true;
            return sent;
        }
        if (connection_.PacketsRemain() &&
            Await(events_.HevMultiplePacket, kSenderWaitMs, messages_.multiplePacket) == Wait::Terminated) {
            sent.terminated = true;
            return sent;
        }
    }
    return sent;
}

// No yield before the wait: the wait itself gives the processor up, and a yield that
// finds another thread ready costs a switch of its own.
SenderThread::Wait SenderThread::AwaitAck() {
    Hold(true);
    WaitResult result = events_.HevAck.Wait(kSenderWaitMs);
    // An answer that claimed the exchange as the wait ran out sets HevAck right after:
    // the exchange was answered in time.
    if (result != WaitResult::Signaled && !connection_.EndExchange(exchange_))
        result = events_.HevAck.Wait(kSenderWaitMs);
    exchange_ = 0;
    if (Terminated()) return Wait::Terminated;
    if (result == WaitResult::Signaled) return Wait::Signaled;
    connection_.Report(messages_.ack.For(result));
    return Wait::Failed;
}

void SenderThread::AbandonExchange() {
    connection_.EndExchange(exchange_);
    exchange_ = 0;
}

}  // namespace kravent
