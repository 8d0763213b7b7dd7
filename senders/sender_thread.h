// What the two sender threads share: the waits with their reported failures, and the
// sending of the packets of one exchange.
#pragma once

#include <cstdint>
#include <string_view>

#include "connection/exchange.h"
#include "platform/platform.h"
#include "senders/sender_link.h"

namespace kravent {

inline constexpr std::uint32_t kSenderWaitMs = kAnswerLimitMs;

// The three messages of one event's wait, by how the wait failed.
struct WaitMessages {
    std::string_view timeout;
    std::string_view abandoned;
    std::string_view other;

    std::string_view For(platform::WaitResult result) const;
};

// The messages of one sender thread.
struct SenderMessages {
    WaitMessages wakeUp;  // HevNewSend or HevTimer
    WaitMessages sync;
    WaitMessages multiplePacket;
    WaitMessages ack;
    std::string_view sendFailed;
    std::string_view fillFailed;
};

extern const SenderMessages kOneShotMessages;
extern const SenderMessages kRepetitiveMessages;

class SenderThread : public platform::Thread {
protected:
    enum class Wait { Signaled, Failed, Terminated };
    // How the sending of an exchange's packets ended.
    struct Sent {
        bool terminated = false;
        bool ackExpected = false;  // a packet with bytes went out
        bool failed = false;       // a send failed
        bool connectionLost = false;  // ... and the socket is gone for good
        bool restart = false;      // held while suspended before a send: the cycle starts over
    };

    SenderThread(SenderLink& connection, const SenderMessages& messages, SenderRole role)
        : connection_(connection), events_(connection.Events()), messages_(messages), role_(role) {}

    // Called before every send and every wait: honours a suspension. True when the
    // thread was held and the cycle must start over. `replyOutstanding`: a packet of the
    // cycle awaits its answer.
    virtual bool Hold(bool replyOutstanding) = 0;

    // Waits on `event` (after Hold); a failure is reported with its message.
    // Termination is tested before the result.
    Wait Await(platform::Event& event, std::uint32_t timeoutMs, const WaitMessages& messages);
    // A wait's result as a Wait; a failure is reported with its message.
    Wait Judge(platform::WaitResult result, const WaitMessages& messages);
    // Opens an exchange and sends packets 0 .. PacketCount-1, waiting for the reply
    // between two of them. A failed send is reported; with `stopAtFailure` no further
    // packet goes out.
    Sent SendPackets(bool stopAtFailure);
    // The wait for the acknowledgement of the last packet; the exchange ends with it.
    Wait AwaitAck();
    // Waits for an answer's event until `dueMs`; meanwhile, where the platform lets
    // this thread take the answer off the socket itself, it does, and the answer's
    // handler (the host's data callback included) runs here.
    platform::WaitResult AwaitAnswer(platform::Event& event, std::uint64_t dueMs);
    // Ends the exchange of a cycle that awaits no acknowledgement.
    void AbandonExchange();

    SenderLink& connection_;
    ConnectionEvents& events_;
    const SenderMessages& messages_;
    const SenderRole role_;

private:
    std::uint32_t exchange_ = 0;  // the exchange this thread has open, 0 for none
    std::uint64_t answerDueMs_ = 0;  // when the answer to its last packet is due
};

}  // namespace kravent
