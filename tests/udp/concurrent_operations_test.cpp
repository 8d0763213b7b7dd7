// UDP operations of different threads do not wait for one another: an open's type test
// and a scan finish while an address change sits in its in-use check. Runs in a private
// network namespace of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "udp/ip_change.h"
#include "udp/module_test.h"
#include "udp/network_scan.h"
#include "log/error_log.h"
#include "sim/module_simulator.h"
#include "tests/support/raw_clients.h"

namespace kravent {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

bool SetEchoIgnored(bool ignored) {
    std::ofstream setting("/proc/sys/net/ipv4/icmp_echo_ignore_all");
    setting << (ignored ? "1" : "0");
    return static_cast<bool>(setting.flush());
}

// Sees the echo requests that reach this namespace's addresses.
class EchoRequestWatch {
public:
    EchoRequestWatch() : fd_(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP)) {}
    ~EchoRequestWatch() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Valid() const { return fd_ >= 0; }
    bool WaitForRequest(std::chrono::milliseconds timeout) {
        const auto end = Clock::now() + timeout;
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            pollfd waiting{fd_, POLLIN, 0};
            if (left <= 0 || ::poll(&waiting, 1, static_cast<int>(left)) <= 0) return false;
            std::uint8_t packet[1500];
            const ssize_t n = ::recv(fd_, packet, sizeof packet, 0);
            if (n < 20) continue;
            const std::size_t header = (packet[0] & 0x0Fu) * 4u;
            if (static_cast<std::size_t>(n) > header && packet[header] == ICMP_ECHO) return true;
        }
    }

private:
    int fd_;
};

TEST(ConcurrentOperations, TypeTestAndScanDoNotWaitForAnAddressChange) {
    ASSERT_TRUE(testsupport::InPrivateNetns()) << "changes a setting of its namespace";
    sim::ModuleSimulator module;
    ASSERT_TRUE(module.Start()) << module.LastError();
    // No echo is answered, so the change's in-use check waits its full 5 s.
    ASSERT_TRUE(SetEchoIgnored(true));
    EchoRequestWatch watch;
    ASSERT_TRUE(watch.Valid());

    std::atomic<bool> changing{true};
    std::thread change([&] {
        const std::int32_t otherMac[] = {0x02, 0x4B, 0x52, 0x00, 0x00, 0x99};
        const std::int32_t freeIp[] = {127, 0, 0, 5};
        const std::int32_t mask[] = {255, 0, 0, 0};
        ChangeIPAddress(otherMac, freeIp, mask);
        changing = false;
    });
    const bool checking = watch.WaitForRequest(5s);
    const std::int32_t loopback[] = {127, 0, 0, 1};
    const auto start = Clock::now();
    const bool passed = MakeInitialTYPETest(loopback);
    ModuleScanRecord record{};
    const std::int32_t found = ScanNetwork(&record, 1);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const bool stillChanging = changing;
    change.join();
    SetEchoIgnored(false);

    ASSERT_TRUE(checking) << "the change's in-use check sends its echo";
    EXPECT_TRUE(passed);
    EXPECT_EQ(found, 1);
    EXPECT_EQ(record.ModuleMac[5], 1);
    EXPECT_TRUE(stillChanging) << "both ended only after the change: " << seconds << " s";
    EXPECT_LT(seconds, 2.5);
}

}  // namespace
}  // namespace kravent
