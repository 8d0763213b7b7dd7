// Both kinds of ICMP socket of the Linux backend, inside the private namespace.
#include "netns_guard.h"
#include "platform/linux/icmp_echo.h"
#include "platform/platform.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>

namespace kravent::platform::detail {
namespace {

bool AllowPingSockets(bool allow) {
    std::ofstream range("/proc/sys/net/ipv4/ping_group_range");  // this namespace's own setting
    range << (allow ? "0 2147483647" : "1 0");
    return static_cast<bool>(range.flush());
}

TEST(LinuxIcmp, RawSocketEchoesLoopback) {
    KRAVENT_REQUIRE_PRIVATE_NETNS();
    EXPECT_EQ(EchoOver(EchoSocket::Raw, "127.0.0.1", 5000), EchoOutcome::Answered);
}

TEST(LinuxIcmp, PingSocketIsUsedWhereTheSystemAdmitsIt) {
    KRAVENT_REQUIRE_PRIVATE_NETNS();
    ASSERT_TRUE(AllowPingSockets(true));
    EXPECT_EQ(EchoOver(EchoSocket::Ping, "127.0.0.1", 5000), EchoOutcome::Answered);
    ASSERT_TRUE(AllowPingSockets(false));
    EXPECT_EQ(EchoOver(EchoSocket::Ping, "127.0.0.1", 5000), EchoOutcome::SocketUnavailable);
    EXPECT_TRUE(IcmpEchoAnswered("127.0.0.1", 5000));  // falls back to the raw socket
}

TEST(LinuxIcmp, AddressWhereNoHostRunsIsNotAnsweredWithinTheLimit) {
    KRAVENT_REQUIRE_PRIVATE_NETNS();
    // A link with an address of its own, whose other end holds nobody.
    ASSERT_EQ(std::system("ip link add kv0 type veth peer name kv1 && ip addr add 10.77.0.1/24 dev kv0 && "
                          "ip link set kv0 up && ip link set kv1 up"),
              0);
    for (bool allowPing : {false, true}) {
        ASSERT_TRUE(AllowPingSockets(allowPing));
        const std::uint64_t start = SteadyMilliseconds();
        EXPECT_FALSE(IcmpEchoAnswered("10.77.0.2", 400));
        const std::uint64_t elapsed = SteadyMilliseconds() - start;
        EXPECT_GE(elapsed, 395u);
        EXPECT_LT(elapsed, 3000u);
        EXPECT_TRUE(IcmpEchoAnswered("10.77.0.1", 5000));  // the namespace's own address answers
    }
}

}  // namespace
}  // namespace kravent::platform::detail
