// The receive side of a connection, without I/O: the bytes of each notification go
// through the reassembly; each whole frame is matched against the exchange that was
// open when they came and decoded into the record. Frames that answer nothing are
// handed to the host on their own, with their own Received flags.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "connection/exchange.h"
#include "protocol/reply_reassembly.h"

namespace kravent {

class AnswerReceiver {
public:
    // Where the receive side's results go: the host's data callback and the error log.
    class Sink {
    public:
        virtual void DeliverRecord(const ::RegisterValues& record) = 0;
        virtual void ReportFailure(const ReplyStep& step) = 0;

    protected:
        ~Sink() = default;
    };

    // Takes `count` bytes heard against `heard`; true when a frame answered it. Frames
    // that answer nothing have been delivered when this returns.
    bool Receive(const Exchange::Listening& heard, const std::uint8_t* bytes, std::size_t count, Sink& sink);

    // The record the host's data callback receives: values of the last answers, with
    // Received and Written flags.
    ::RegisterValues& Record() { return record_; }
    const ::RegisterValues& Record() const { return record_; }

private:
    void TakeFrame(const Exchange::Listening& heard, const ReplyStep& step, bool& answered, Sink& sink);
    void BeginStray();
    void DeliverStray(Sink& sink);

    ::RegisterValues record_{};
    ReplyReassembler reassembler_;
    std::uint32_t answerBegunFor_ = 0;
    bool strayOpen_ = false;
    ReceivedFlags answerFlags_{};
};

// One notification's bytes, from the exchange's view of them to its acknowledgement:
// `locked(step)` runs `step` on the exchange under its owner's lock, which is never held
// while the host is called. NextPacket: the caller sets HevMultiplePacket. Deliver: the
// record went to the host and the exchange ended with it; the caller sets HevAck.
template <typename Locked>
Exchange::Next ReceiveNotification(Locked locked, AnswerReceiver& receiver, const std::uint8_t* bytes,
                                   std::size_t count, AnswerReceiver::Sink& sink) {
    // Taken before the bytes: whatever the sender does meanwhile, these bytes answer the
    // exchange that was open when they came, or none.
    const Exchange::Listening heard = locked([](Exchange& e) { return e.Listen(); });
    if (!receiver.Receive(heard, bytes, count, sink)) return Exchange::Next::Nothing;
    const Exchange::Next next = locked([&heard](Exchange& e) { return e.Answered(heard); });
    if (next != Exchange::Next::Deliver) return next;
    // The host may trigger the next send from its callback: the trigger is free again.
    sink.DeliverRecord(receiver.Record());
    return locked([&heard](Exchange& e) { return e.Delivered(heard.exchange); }) ? Exchange::Next::Deliver
                                                                                 : Exchange::Next::Nothing;
}

}  // namespace kravent
