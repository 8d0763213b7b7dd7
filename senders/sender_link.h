// What a sender thread needs of the connection it serves, and all it sees of it: the
// connection owns the state of an exchange and implements this interface, so that no
// sender reads or writes a field of it.
#pragma once

#include <cstdint>
#include <string_view>

#include "connection/exchange.h"
#include "platform/platform.h"

namespace kravent {

// The connection's auto-reset events.
struct ConnectionEvents {
    platform::Event HevMultiplePacket{false};  // a packet of a multi-packet exchange was answered
    platform::Event HevSync{true};             // the token: one sender at a time owns the connection
    platform::Event HevAck{false};             // the exchange was answered
    platform::Event HevTimer{false};           // a polling period began
    platform::Event HevNewSend{false};         // the host triggered a send
};

// How the send of one packet went.
struct PacketSend {
    bool sent = false;            // the transport took the packet
    bool carriedBytes = false;    // ... and it had bytes, so an answer will come
    bool connectionLost = false;  // the send failed and the socket is gone for good
    bool more = false;            // packets of the exchange remain after this one
    std::uint64_t answerDueMs = 0;  // when its answer is due at the latest (steady ms)
};

class SenderLink {
public:
    virtual ConnectionEvents& Events() = 0;

    // The token, once its wait on HevSync succeeded, and its return: HevSync is set
    // again only by the sender that held it.
    virtual void TokenTaken(SenderRole who) = 0;
    virtual void ReleaseToken(SenderRole who) = 0;
    // The one-shot sender waits for the token, or no longer; the poller gives way to it.
    virtual void OneShotWaits(bool waiting) = 0;
    virtual bool OneShotWaiting() const = 0;

    // Pack the pending one-shot requests, or the repetitive set, into the packets of
    // the next exchange. The caller holds the token.
    virtual bool FillPacketToSend() = 0;
    virtual bool FillPacketToSendContinuous() = 0;
    virtual std::int32_t PacketCount() const = 0;

    // Opens a numbered exchange just before its first packet goes out: only bytes that
    // arrive while it is open answer it. Stale wake-ups of the sender are dropped first.
    virtual std::uint32_t BeginExchange() = 0;
    // Ends exchange `exchange` unanswered. False when its answer has already claimed it:
    // the acknowledgement is then on its way.
    virtual bool EndExchange(std::uint32_t exchange) = 0;
    // Counts the next packet as sent, then hands it to the transport.
    virtual PacketSend SendNextPacket() = 0;
    // Waits up to `timeoutMs` for the module's bytes on this thread and delivers them
    // here, where the platform allows it; `done` is the answer's event.
    virtual platform::OwnReceive ReceiveHere(std::uint32_t timeoutMs, platform::Event& done) = 0;

    // A one-shot exchange ended without delivering a reply: the host may trigger again.
    virtual void ReplyAbandoned() = 0;
    // Writes `message` to the error log under the connection's address.
    virtual void Report(std::string_view message) const = 0;

protected:
    ~SenderLink() = default;
};

}  // namespace kravent
