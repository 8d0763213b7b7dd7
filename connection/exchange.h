// The exchanges of one connection with its module, as state with no thread, socket,
// lock or clock of its own: the connection calls it under its lock, passes the time in
// and carries out what it answers (send the next packet, deliver the record, set an
// event, give the token back).
#pragma once

#include <array>
#include <cstdint>

#include "protocol/answer_match.h"
#include "protocol/request_assembly.h"

namespace kravent {

// The limit for every answer, and for the wait for the token.
inline constexpr std::uint32_t kAnswerLimitMs = 3000;

enum class SenderRole : std::uint8_t { None, OneShot, Repetitive };

class Exchange {
public:
    // ---- The host's trigger --------------------------------------------------------
    // Accepted unless the answer to the last accepted trigger is still outstanding;
    // of two racing triggers only one is accepted.
    bool Trigger();
    // The one-shot exchange ended without an answer: the host may trigger again.
    void AnswerAbandoned() { answerOutstanding_ = false; }
    bool AnswerOutstanding() const { return answerOutstanding_; }

    // ---- The token: one sender at a time packs and sends (its wait is HevSync) -----
    // The one-shot sender says when it waits for the token: a poller that runs back to
    // back (answers slower than its period) then lets it have the token instead of
    // taking it again at once, which the event alone would let it do.
    void OneShotWaits(bool waiting) { oneShotWaits_ = waiting; }
    bool OneShotWaiting() const { return oneShotWaits_; }
    void TokenTaken(SenderRole who) {
        token_ = who;
        if (who == SenderRole::OneShot) oneShotWaits_ = false;
    }
    // True when `who` held the token: the caller sets HevSync.
    bool ReleaseToken(SenderRole who);
    SenderRole TokenHolder() const { return token_; }

    // ---- The token holder's exchange -------------------------------------------------
    // The packets of the next exchange, as the assembly packed them.
    void Load(const PacketSet& packets);
    std::int32_t PacketCount() const { return packetCount_; }
    // Opens a numbered exchange: only frames that come while it is open answer it.
    std::uint32_t Open();
    std::uint32_t OpenNumber() const { return open_; }
    // Counts the next packet as gone out and starts the time limit of its answer;
    // returns its index. Counted before the send, so that an answer that overtakes the
    // send finds its packet counted.
    std::int32_t PacketGoesOut(std::uint64_t nowMs);
    bool PacketsRemain() const { return packetsSent_ < packetCount_; }
    // When the answer to the last packet sent is due at the latest.
    std::uint64_t AnswerDue() const { return answerDue_; }
    // Ends exchange `number` without an answer (time-out, failed send, nothing to wait
    // for). False when an answer has claimed it first: its delivery is under way, and
    // its acknowledgement follows.
    bool EndUnanswered(std::uint32_t number);

    // ---- The receive side --------------------------------------------------------------
    // What the bytes of one notification are matched against, taken as they begin.
    struct Listening {
        std::uint32_t exchange = 0;  // 0: none open, the bytes answer nothing
        AskedRegisters asked;        // what the last packet sent asked
        bool newExchange = false;    // first notification of this exchange: drop any partial frame
    };
    Listening Listen();

    enum class Next {
        Nothing,     // the exchange is no longer the one answered
        NextPacket,  // packets remain: the caller sets HevMultiplePacket
        Deliver,     // the answer is complete: deliver the record, then call Delivered
    };
    // Frames of the notification of `heard` answered its exchange.
    Next Answered(const Listening& heard);
    // The record of exchange `number` was delivered: true when it was still open, and
    // the caller sets HevAck.
    bool Delivered(std::uint32_t number);

private:
    bool answerOutstanding_ = false;
    SenderRole token_ = SenderRole::None;
    bool oneShotWaits_ = false;

    std::int32_t packetCount_ = 0;
    std::int32_t packetsSent_ = 0;
    std::array<AskedRegisters, kPacketBufferCount> asked_{};

    std::uint32_t open_ = 0;       // the exchange open, 0 for none
    std::uint32_t claimed_ = 0;    // the exchange whose answer is being delivered
    std::uint32_t count_ = 0;      // numbers exchanges, never 0
    std::uint32_t lastHeard_ = 0;  // the exchange the receive side last heard
    std::uint64_t answerDue_ = 0;
};

}  // namespace kravent
