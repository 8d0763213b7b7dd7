// The receive side of a connection: the bytes of each notification go through the
// reassembly and decoding of the protocol core; what goes wrong is logged here.
#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "connection/com_management.h"
#include "log/error_log.h"

namespace kravent {

namespace {

// A message of a fixed text and a number, built without allocation.
class CountMessage {
public:
    CountMessage(std::string_view head, std::int32_t number, std::string_view tail) {
        Append(head);
        const auto r = std::to_chars(text_.data() + length_, text_.data() + text_.size(), number);
        length_ = static_cast<std::size_t>(r.ptr - text_.data());
        Append(tail);
    }
    std::string_view View() const { return {text_.data(), length_}; }

private:
    void Append(std::string_view s) {
        const std::size_t n = std::min(s.size(), text_.size() - length_);
        std::copy_n(s.data(), n, text_.data() + length_);
        length_ += n;
    }
    std::array<char, 128> text_{};
    std::size_t length_ = 0;
};

void ReportReplyFailure(const ReplyStep& step) {
    switch (step.failure) {
    case ReplyFailure::None: return;
    case ReplyFailure::FrameTooLong:
        WriteErrorLog(CountMessage("Received frame too long. Payload length = ", step.number, "\t(ReceivedRawData)").View(),
                      kNoAddress);
        return;
    case ReplyFailure::ChecksumError:
        WriteErrorLog(
            CountMessage("ChecksumError occurs. Nb of ChecksumError = ", step.number, "\t(ReceivedRawData)").View(),
            kNoAddress);
        return;
    case ReplyFailure::UnknownRegister:
        WriteErrorLog("Register address of received data unknown\t(ReceivedDataAnalyse)", kNoAddress);
        return;
    case ReplyFailure::ValueIncomplete:
        WriteErrorLog("Register value of received data incomplete\t(ReceivedDataAnalyse)", kNoAddress);
        return;
    }
}

}  // namespace

CComManagement::Notification CComManagement::BeginNotification() {
    Notification n;
    n.exchange = openExchange_.load(std::memory_order_acquire);
    if (n.exchange == 0) return n;
    // A new exchange starts on a clean frame: what is left of an earlier answer, or of a
    // frame whose length lied, cannot join its answer.
    if (n.exchange != lastExchangeSeen_) {
        Reassembler.DropPartial();
        lastExchangeSeen_ = n.exchange;
    }
    const std::int32_t sent = PacketsSent.load();
    if (sent >= 1 && sent <= static_cast<std::int32_t>(kPacketBufferCount)) {
        const auto k = static_cast<std::size_t>(sent - 1);
        n.asked = {askedReads_[k].load(std::memory_order_relaxed), askedWrites_[k].load(std::memory_order_relaxed)};
    }
    return n;
}

void CComManagement::ReceiveBytes(Notification& n, const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t at = 0; at < count;) {
        const ReplyStep step = Reassembler.Take(bytes + at, count - at);
        at += step.taken;
        ReportReplyFailure(step);
        if (step.frame != nullptr) TakeFrame(n, step);
    }
}

void CComManagement::TakeFrame(Notification& n, const ReplyStep& step) {
    const bool intact = step.failure == ReplyFailure::None;
    // A frame whose checksum failed cannot be told apart: during an exchange it ends it,
    // and the flags show what did arrive.
    const bool answers = n.exchange != 0 && (!intact || FrameAnswers(n.asked, step.frame, step.frameLength));
    if (answers) {
        DeliverStray();
        if (answerBegunFor_ != n.exchange) {
            ClearReceivedFlags(RegisterValues);
            answerBegunFor_ = n.exchange;
        }
        n.answered = true;
    } else {
        BeginStray();
    }
    if (intact) ReportReplyFailure({.failure = DecodeAnswerFrame(step.frame, step.frameLength, RegisterValues)});
}

void CComManagement::BeginStray() {
    if (strayOpen_) return;
    answerFlags_ = SaveReceivedFlags(RegisterValues);
    ClearReceivedFlags(RegisterValues);
    strayOpen_ = true;
}

void CComManagement::DeliverStray() {
    if (!strayOpen_) return;
    CallDataReceived();
    RestoreReceivedFlags(RegisterValues, answerFlags_);
    strayOpen_ = false;
}

bool CComManagement::ReceivedRawData(const std::uint8_t* bytes, std::size_t count) {
    Notification n = BeginNotification();
    ReceiveBytes(n, bytes, count);
    DeliverStray();
    return n.answered;
}

}  // namespace kravent
