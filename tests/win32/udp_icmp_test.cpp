// UDP with a plain peer on loopback, and the ICMP echo.
#include <cstring>

#include "platform/platform.h"
#include "tests/win32/harness.h"
#include "tests/win32/loopback.h"

using namespace kravent::platform;
using namespace kravent::wintest;

KRAVENT_CASE(UdpExchangesDatagramsWithTheirSender) {
    UdpPeer peer;
    UdpSocket udp;
    CHECK(udp.Open());
    CHECK(!udp.Open());  // open already
    CHECK(udp.SendTo("127.0.0.1", peer.port(), "ping", 4));
    char buffer[64];
    kravent::hostos::Endpoint from;
    CHECK(peer.Receive(buffer, sizeof buffer, 10000, &from) == 4);
    CHECK(std::memcmp(buffer, "ping", 4) == 0);

    CHECK(peer.SendTo(from, "pong!", 5));
    char sender[32] = "stale";
    int senderPort = -1;
    CHECK(udp.ReceiveFrom(buffer, sizeof buffer, 10000, sender, sizeof sender, &senderPort) == 5);
    CHECK(std::memcmp(buffer, "pong!", 5) == 0);
    CHECK(std::strcmp(sender, "127.0.0.1") == 0);
    CHECK(senderPort == peer.port());
}

KRAVENT_CASE(UdpCutsALongDatagramToTheBuffer) {
    UdpPeer peer;
    UdpSocket udp;
    CHECK(udp.Open());
    CHECK(udp.SendTo("127.0.0.1", peer.port(), "x", 1));
    char buffer[128];
    kravent::hostos::Endpoint from;
    CHECK(peer.Receive(buffer, sizeof buffer, 10000, &from) == 1);
    char longer[100];
    for (int i = 0; i < 100; ++i) longer[i] = static_cast<char>(i);
    CHECK(peer.SendTo(from, longer, sizeof longer));
    CHECK(peer.SendTo(from, "next", 4));
    char sender[32];
    int port = 0;
    CHECK(udp.ReceiveFrom(buffer, 30, 10000, sender, sizeof sender, &port) == 30);
    CHECK(std::memcmp(buffer, longer, 30) == 0);
    CHECK(std::strcmp(sender, "127.0.0.1") == 0);
    // The rest of the long datagram is gone; the next one comes whole.
    CHECK(udp.ReceiveFrom(buffer, 30, 10000, sender, sizeof sender, &port) == 4);
    CHECK(std::memcmp(buffer, "next", 4) == 0);
    // A sender text that does not fit is cut and still terminated.
    CHECK(peer.SendTo(from, "abc", 3));
    char small[4] = "zzz";
    CHECK(udp.ReceiveFrom(buffer, 30, 10000, small, sizeof small, &port) == 3);
    CHECK(std::strcmp(small, "127") == 0);
}

KRAVENT_CASE(UdpPortUnreachableAndSilenceGiveZero) {
    int deadPort = 0;
    {
        UdpPeer gone;
        deadPort = gone.port();
    }
    UdpSocket udp;
    CHECK(udp.Open());
    CHECK(udp.SendTo("127.0.0.1", deadPort, "anyone?", 7));  // answered by port unreachable
    char buffer[30];
    char sender[32] = "stale";
    int port = -1;
    const auto begin = SteadyMilliseconds();
    CHECK(udp.ReceiveFrom(buffer, sizeof buffer, 200, sender, sizeof sender, &port) == 0);
    CHECK(sender[0] == '\0');
    CHECK(port == 0);
    CHECK(SteadyMilliseconds() - begin < 5000);
    // The socket still works afterwards.
    UdpPeer peer;
    CHECK(udp.SendTo("127.0.0.1", peer.port(), "x", 1));
    kravent::hostos::Endpoint from;
    CHECK(peer.Receive(buffer, sizeof buffer, 10000, &from) == 1);
    CHECK(peer.SendTo(from, "ok", 2));
    CHECK(udp.ReceiveFrom(buffer, sizeof buffer, 10000, sender, sizeof sender, &port) == 2);
    // Silence: 0 after the time limit.
    const auto quiet = SteadyMilliseconds();
    CHECK(udp.ReceiveFrom(buffer, sizeof buffer, 150, sender, sizeof sender, &port) == 0);
    CHECK(SteadyMilliseconds() - quiet >= 140);
}

KRAVENT_CASE(UdpRefusesWhatItCannotSend) {
    UdpSocket udp;
    CHECK(!udp.SendTo("127.0.0.1", 7010, "x", 1));  // not open
    char buffer[8];
    char sender[16];
    int port = 0;
    CHECK(udp.ReceiveFrom(buffer, sizeof buffer, 10, sender, sizeof sender, &port) == 0);
    CHECK(udp.Open());
    CHECK(!udp.SendTo("not an address", 7010, "x", 1));
    CHECK(!udp.SendTo("127.0.0.1", 0, "x", 1));
    udp.Close();
    udp.Close();
}

KRAVENT_CASE(UdpBroadcastReachesAListener) {
    if (!InPrivateNetwork()) {
        std::printf("  skipped: broadcasts only inside a private network namespace\n");
        return;
    }
    UdpPeer peer(true);
    UdpSocket udp;
    CHECK(udp.Open());
    CHECK(udp.SendTo("255.255.255.255", peer.port(), "all", 3));
    char buffer[16];
    kravent::hostos::Endpoint from;
    CHECK(peer.Receive(buffer, sizeof buffer, 10000, &from) == 3);
}

KRAVENT_CASE(IcmpEchoOfLoopbackIsAnswered) {
    CHECK(IcmpEchoAnswered("127.0.0.1", 5000));
    CHECK(!IcmpEchoAnswered("no address", 100));
    CHECK(!IcmpEchoAnswered(nullptr, 100));
}

KRAVENT_CASE(IcmpEchoOfAnUnreachableAddressIsNotAnswered) {
    if (!InPrivateNetwork()) {
        std::printf("  skipped: ICMP beyond loopback only inside a private network namespace\n");
        return;
    }
    CHECK(!IcmpEchoAnswered("10.255.255.1", 500));  // no route in the namespace
}
