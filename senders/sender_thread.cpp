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

SenderThread::Wait SenderThread::Judge(WaitResult result, const WaitMessages& messages) {
    if (Terminated()) return Wait::Terminated;
    if (result == WaitResult::Signaled) return Wait::Signaled;
    connection_.Report(messages.For(result));
    return Wait::Failed;
}

SenderThread::Wait SenderThread::Await(platform::Event& event, std::uint32_t timeoutMs,
                                       const WaitMessages& messages) {
    Hold(true);
    return Judge(event.Wait(timeoutMs), messages);
}

WaitResult SenderThread::AwaitAnswer(platform::Event& event, std::uint64_t dueMs) {
    for (;;) {
        if (event.Wait(0) == WaitResult::Signaled) return WaitResult::Signaled;
        const std::uint64_t now = platform::SteadyMilliseconds();
        const auto left = static_cast<std::uint32_t>(dueMs > now ? dueMs - now : 0);
        if (left == 0 || Terminated()) return event.Wait(0);
        switch (connection_.ReceiveHere(left, event)) {
            case platform::OwnReceive::Done:
                return WaitResult::Signaled;
            case platform::OwnReceive::NotHere:
                return event.Wait(left);
            case platform::OwnReceive::Delivered:
            case platform::OwnReceive::Timeout:
                break;
        }
    }
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
        const PacketSend packet = connection_.SendNextPacket();
        answerDueMs_ = packet.answerDueMs;
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
        if (packet.more) {
            Hold(true);
            if (Judge(AwaitAnswer(events_.HevMultiplePacket, answerDueMs_), messages_.multiplePacket) ==
                Wait::Terminated) {
                sent.terminated = true;
                return sent;
            }
        }
    }
    return sent;
}

// No yield before the wait: the wait itself gives the processor up, and a yield that
// finds another thread ready costs a switch of its own.
SenderThread::Wait SenderThread::AwaitAck() {
    Hold(true);
    WaitResult result = AwaitAnswer(events_.HevAck, answerDueMs_);
    // An answer that claimed the exchange as the wait ran out sets HevAck once it has
    // been delivered: the exchange was answered in time.
    if (result != WaitResult::Signaled && !connection_.EndExchange(exchange_))
        result = events_.HevAck.Wait(kSenderWaitMs);
    exchange_ = 0;
    return Judge(result, messages_.ack);
}

void SenderThread::AbandonExchange() {
    connection_.EndExchange(exchange_);
    exchange_ = 0;
}

}  // namespace kravent
