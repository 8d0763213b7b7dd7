#include "connection/answer_receiver.h"

namespace kravent {

bool AnswerReceiver::Receive(const Exchange::Listening& heard, const std::uint8_t* bytes, std::size_t count,
                             Sink& sink) {
    // A new exchange starts on a clean frame: what is left of an earlier answer, or of a
    // frame whose length lied, cannot join its answer.
    if (heard.newExchange) reassembler_.DropPartial();
    bool answered = false;
    for (std::size_t at = 0; at < count;) {
        const ReplyStep step = reassembler_.Take(bytes + at, count - at);
        at += step.taken;
        if (step.failure != ReplyFailure::None) sink.ReportFailure(step);
        if (step.frame != nullptr) TakeFrame(heard, step, answered, sink);
    }
    DeliverStray(sink);
    return answered;
}

void AnswerReceiver::TakeFrame(const Exchange::Listening& heard, const ReplyStep& step, bool& answered, Sink& sink) {
    const bool intact = step.failure == ReplyFailure::None;
    // A frame whose checksum failed cannot be told apart: during an exchange it ends it,
    // and the flags show what did arrive.
    const bool answers = heard.exchange != 0 && (!intact || FrameAnswers(heard.asked, step.frame, step.frameLength));
    if (answers) {
        DeliverStray(sink);
        if (answerBegunFor_ != heard.exchange) {
            ClearReceivedFlags(record_);
            answerBegunFor_ = heard.exchange;
        }
        answered = true;
    } else {
        BeginStray();
    }
    if (!intact) return;
    const ReplyFailure decoded = DecodeAnswerFrame(step.frame, step.frameLength, record_);
    if (decoded != ReplyFailure::None) sink.ReportFailure({.failure = decoded});
}

void AnswerReceiver::BeginStray() {
    if (strayOpen_) return;
    answerFlags_ = SaveReceivedFlags(record_);
    ClearReceivedFlags(record_);
    strayOpen_ = true;
}

void AnswerReceiver::DeliverStray(Sink& sink) {
    if (!strayOpen_) return;
    sink.DeliverRecord(record_);
    RestoreReceivedFlags(record_, answerFlags_);
    strayOpen_ = false;
}

}  // namespace kravent
