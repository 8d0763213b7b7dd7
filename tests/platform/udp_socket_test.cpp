#include "netns_guard.h"
#include "hostos/hostos.h"
#include "platform/platform.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace kravent::platform {
namespace {

constexpr int kServicePort = 7010;

// The module's side: a plain UDP socket on the service port.
class ServicePort {
public:
    ServicePort() {
        std::string error;
        socket_ = hostos::OpenUdpSocket({0, kServicePort}, false, error);
    }
    ~ServicePort() { hostos::CloseSocket(socket_); }
    bool Bound() const { return socket_ != hostos::kNoSocket; }

    // Receives one datagram; remembers its sender for Answer().
    std::string Receive(int timeoutMs) {
        if (!hostos::WaitReadable(socket_, timeoutMs)) return "<none>";
        std::uint8_t buffer[2048];
        std::optional<std::uint32_t> destination;
        const long n = hostos::ReceiveDatagram(socket_, buffer, sizeof buffer, last_, destination);
        return n < 0 ? "<error>" : std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
    }
    bool Answer(const std::string& data) {
        return hostos::SendDatagram(socket_, reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), last_);
    }
    int LastSenderPort() const { return last_.port; }

private:
    hostos::SocketHandle socket_ = hostos::kNoSocket;
    hostos::Endpoint last_;
};

struct Received {
    int length;
    std::string data;
    std::string sender;
    int port;
};

Received ReceiveInto(UdpSocket& socket, int capacity, std::uint32_t timeoutMs) {
    char buffer[256];
    char sender[16] = "garbage";
    int port = -1;
    const int n = socket.ReceiveFrom(buffer, capacity, timeoutMs, sender, sizeof sender, &port);
    return {n, std::string(buffer, static_cast<std::size_t>(n > 0 ? n : 0)), sender, port};
}

class UdpSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        KRAVENT_REQUIRE_PRIVATE_NETNS();
        ASSERT_TRUE(service.Bound());
        ASSERT_TRUE(socket.Open());
    }
    ServicePort service;
    UdpSocket socket;
};

TEST_F(UdpSocketTest, BroadcastReachesTheServicePortAndTheAnswerNamesItsSender) {
    const char scan[] = {0x00, 0x21, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 0x15, 0x11, char(0xEA), char(0xC8)};
    ASSERT_TRUE(socket.SendTo("255.255.255.255", kServicePort, scan, sizeof scan));
    EXPECT_EQ(service.Receive(5000), std::string(scan, sizeof scan));
    EXPECT_NE(service.LastSenderPort(), kServicePort);  // the socket has a port of its own

    ASSERT_TRUE(service.Answer("module"));
    const Received r = ReceiveInto(socket, 50, 5000);
    EXPECT_EQ(r.length, 6);
    EXPECT_EQ(r.data, "module");
    EXPECT_EQ(r.sender, "127.0.0.1");
    EXPECT_EQ(r.port, kServicePort);
}

TEST_F(UdpSocketTest, ReceiveTimesOutWithAnEmptySender) {
    const std::uint64_t start = SteadyMilliseconds();
    const Received r = ReceiveInto(socket, 30, 200);
    const std::uint64_t elapsed = SteadyMilliseconds() - start;
    EXPECT_EQ(r.length, 0);
    EXPECT_EQ(r.sender, "");
    EXPECT_EQ(r.port, 0);
    EXPECT_GE(elapsed, 195u);
    EXPECT_LT(elapsed, 3000u);
}

TEST_F(UdpSocketTest, LongerDatagramIsCutToTheCapacityAndItsRestDropped) {
    ASSERT_TRUE(socket.SendTo("127.0.0.1", kServicePort, "?", 1));
    ASSERT_EQ(service.Receive(5000), "?");
    ASSERT_TRUE(service.Answer(std::string(100, 'L')));
    ASSERT_TRUE(service.Answer("next"));
    const Received cut = ReceiveInto(socket, 30, 5000);
    EXPECT_EQ(cut.length, 30);
    EXPECT_EQ(cut.data, std::string(30, 'L'));
    const Received next = ReceiveInto(socket, 30, 5000);
    EXPECT_EQ(next.data, "next");
}

TEST_F(UdpSocketTest, EmptyDatagramCountsAsNothing) {
    ASSERT_TRUE(socket.SendTo("127.0.0.1", kServicePort, "?", 1));
    ASSERT_EQ(service.Receive(5000), "?");
    ASSERT_TRUE(service.Answer(""));
    const Received r = ReceiveInto(socket, 30, 5000);
    EXPECT_EQ(r.length, 0);
    EXPECT_EQ(r.sender, "");
}

TEST_F(UdpSocketTest, SendToAPortWhereNothingListensLeavesTheReceiveQuiet) {
    ASSERT_TRUE(socket.SendTo("127.0.0.1", 7011, "?", 1));  // answered by port unreachable
    const Received r = ReceiveInto(socket, 30, 200);
    EXPECT_EQ(r.length, 0);
    ASSERT_TRUE(socket.SendTo("127.0.0.1", kServicePort, "still", 5));
    EXPECT_EQ(service.Receive(5000), "still");
}

TEST_F(UdpSocketTest, RefusesBadDestinationsAndWorksNoMoreOnceClosed) {
    EXPECT_FALSE(socket.SendTo(nullptr, kServicePort, "x", 1));
    EXPECT_FALSE(socket.SendTo("10.0.0", kServicePort, "x", 1));
    EXPECT_FALSE(socket.SendTo("127.0.0.1", 70000, "x", 1));
    EXPECT_FALSE(socket.SendTo("127.0.0.1", kServicePort, nullptr, 1));
    socket.Close();
    EXPECT_FALSE(socket.SendTo("127.0.0.1", kServicePort, "x", 1));
    EXPECT_EQ(ReceiveInto(socket, 30, 0).length, 0);
    EXPECT_TRUE(socket.Open());  // and it can open again
    EXPECT_TRUE(socket.SendTo("127.0.0.1", kServicePort, "x", 1));
}

TEST_F(UdpSocketTest, SenderTextIsCutToItsBuffer) {
    ASSERT_TRUE(socket.SendTo("127.0.0.1", kServicePort, "?", 1));
    ASSERT_EQ(service.Receive(5000), "?");
    ASSERT_TRUE(service.Answer("a"));
    char buffer[8];
    char sender[5];
    int port = 0;
    ASSERT_EQ(socket.ReceiveFrom(buffer, sizeof buffer, 5000, sender, sizeof sender, &port), 1);
    EXPECT_STREQ(sender, "127.");
}

}  // namespace
}  // namespace kravent::platform
