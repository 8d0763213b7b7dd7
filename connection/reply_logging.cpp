// What the receive side logs when the reassembly or the decoding of an answer fails.
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

}  // namespace

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

}  // namespace kravent
