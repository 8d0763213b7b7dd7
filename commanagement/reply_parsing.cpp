// The receive side of a connection: the bytes of each notification go through the
// reassembly and decoding of the protocol core; what goes wrong is logged here.
#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "commanagement/com_management.h"
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

void CComManagement::ReceivedRawData(const std::uint8_t* bytes, std::size_t count) {
    // While the first packet of an exchange is answered, the record starts afresh;
    // answers to later packets add to it.
    if (PacketCount_.load() == 1 || PacketsSent.load() == 1) ClearReceivedFlags(RegisterValues);
    ReassembleReceivedBytes(bytes, count);
}

void CComManagement::ReassembleReceivedBytes(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t at = 0; at < count;) {
        const ReplyStep step = Reassembler.Take(bytes + at, count - at, RegisterValues);
        at += step.taken;
        ReportReplyFailure(step);
    }
}

}  // namespace kravent
