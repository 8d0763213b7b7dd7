// What the receive side of a connection logs for each failure of the reassembly.
#include <gtest/gtest.h>

#include "protocol_support.h"

namespace kravent::test {
namespace {

TEST(ReplyLogging, EachFailureIsLoggedWithoutAnAddress) {
    struct : AnswerReceiver::Sink {
        void DeliverRecord(const ::RegisterValues&) override {}
        void ReportFailure(const ReplyStep& step) override { ReportReplyFailure(step); }
    } sink;
    AnswerReceiver receiver;
    auto receive = [&](const Bytes& bytes) { receiver.Receive({}, bytes.data(), bytes.size(), sink); };
    Bytes bad = ReadAnswer({0x07, 0x00, 0x18, 0x00, 0x00});
    bad.back() ^= 0x01;
    receive(bad);
    receive(bad);
    receive(ReadAnswer({0x22, 0x00}));
    receive(ReadAnswer({0x07, 0x00, 0x18}));
    receive({0x00, 0x23, 0x00, 0x00, 0x07, 0xD0});
    for (const std::string message : {"ChecksumError occurs. Nb of ChecksumError = 1\t(ReceivedRawData)",
                                      "ChecksumError occurs. Nb of ChecksumError = 2\t(ReceivedRawData)",
                                      "Register address of received data unknown\t(ReceivedDataAnalyse)",
                                      "Register value of received data incomplete\t(ReceivedDataAnalyse)",
                                      "Received frame too long. Payload length = 2000\t(ReceivedRawData)"})
        EXPECT_EQ(LoggedIpOf(message), "None") << message;
    EXPECT_EQ(LastError(), "Received frame too long. Payload length = 2000\t(ReceivedRawData)");
}

}  // namespace
}  // namespace kravent::test
