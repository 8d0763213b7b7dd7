// Hostile or merely odd peers on the UDP service port: nothing a datagram holds may
// change how a later operation goes, and no peer may make a scan lose answers or last
// for ever. Each case runs in a private network namespace of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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
using testsupport::Bytes;
using testsupport::UdpEndpoint;

const std::int32_t kLoopback[4] = {127, 0, 0, 1};
constexpr std::uint16_t kServicePort = 7010;

std::string LastError() {
    char text[300];
    std::int32_t length = sizeof text;
    CopyLastErrorText(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

// A read answer with TYPE 2.2, VERSION 1.0, a name and the MAC 02:4B:52:00:hi:lo: the
// answer of a module to the scan request.
Bytes ScanAnswer(int module) {
    Bytes payload = {0x00, 0, 2, 0, 2, 0x01, 0, 1, 0, 0, 0x15};
    for (char c : std::string("STRAY-MODULE----")) payload.push_back(static_cast<std::uint8_t>(c));
    const Bytes mac = {0x11, 0x02, 0x4B, 0x52, 0x00, static_cast<std::uint8_t>(module >> 8),
                       static_cast<std::uint8_t>(module)};
    payload.insert(payload.end(), mac.begin(), mac.end());
    return testsupport::MakeFrame(0x0023, payload);
}

// A peer on the service port of every address: it takes the library's request and
// answers through `answer`, which gets the request's sender.
class ServicePeer {
public:
    ServicePeer() : socket_("0.0.0.0", kServicePort) {}

    // Waits for the library's request; false when none came.
    bool TakeRequest() {
        const auto request = socket_.Receive(5s);
        if (!request) return false;
        library_ = request->from;
        libraryPort_ = request->fromPort;
        return true;
    }
    bool Answer(const Bytes& bytes) { return socket_.SendTo(library_, libraryPort_, bytes); }
    // Answers from another local address, as another module would.
    bool AnswerFrom(UdpEndpoint& module, const Bytes& bytes) { return module.SendTo(library_, libraryPort_, bytes); }
    bool AnswerFrom(const std::string& address, const Bytes& bytes) {
        UdpEndpoint module(address, 0);
        return AnswerFrom(module, bytes);
    }

private:
    UdpEndpoint socket_;
    std::string library_;
    std::uint16_t libraryPort_ = 0;
};

// Runs `operation` on a thread of its own while the test plays the peer.
template <typename Result>
class Running {
public:
    template <typename Operation>
    explicit Running(Operation operation) : thread_([this, operation] { result_ = operation(); }) {}
    Result Get() {
        thread_.join();
        return result_;
    }
    ~Running() {
        if (thread_.joinable()) thread_.join();
    }

private:
    Result result_{};
    std::thread thread_;
};

bool HealthyModulePasses() {
    sim::ModuleSimulator module;
    if (!module.Start()) return false;
    bool passed = true;
    for (int i = 0; i < 3; ++i) passed = MakeInitialTYPETest(kLoopback) && passed;
    return passed;
}

TEST(StrayDatagram, NothingItHoldsReachesALaterOperation) {
    {
        // A one-byte acknowledgement of an address change: accepted, and forgotten.
        ServicePeer peer;
        const std::int32_t mac[] = {2, 0x4B, 0x52, 0, 0, 1};
        const std::int32_t ip[] = {10, 0, 0, 50};
        const std::int32_t mask[] = {255, 255, 255, 0};
        Running<bool> change([&] { return ChangeIPAddress(mac, ip, mask); });
        ASSERT_TRUE(peer.TakeRequest());
        ASSERT_TRUE(peer.Answer({0x00}));
        EXPECT_TRUE(change.Get()) << LastError();
    }
    EXPECT_TRUE(HealthyModulePasses()) << "after a one-byte acknowledgement: " << LastError();
    {
        // A type-test answer whose header announces the largest payload there is.
        ServicePeer peer;
        Running<bool> test([] { return MakeInitialTYPETest(kLoopback); });
        ASSERT_TRUE(peer.TakeRequest());
        ASSERT_TRUE(peer.Answer({0x00, 0x23, 0x00, 0x00, 0xFD, 0xE0, 0x00, 0x00}));
        EXPECT_FALSE(test.Get());
    }
    EXPECT_TRUE(HealthyModulePasses()) << "after a frame that never ends: " << LastError();
    {
        // A datagram longer than the scan's buffer among the answers of four modules:
        // dropped whole and logged; the four are found.
        ServicePeer peer;
        Running<std::int32_t> scan([] { return ScanNetwork(nullptr, 0); });
        ASSERT_TRUE(peer.TakeRequest());
        ASSERT_TRUE(peer.AnswerFrom("127.0.0.10", Bytes(100, 0x01)));
        for (int m = 1; m <= 4; ++m) ASSERT_TRUE(peer.AnswerFrom("127.0.0." + std::to_string(10 + m), ScanAnswer(m)));
        EXPECT_EQ(scan.Get(), 4);
        EXPECT_EQ(LastError(), "Datagram longer than the receive buffer dropped\t(ReceiveServiceDatagram)");
    }
    EXPECT_TRUE(HealthyModulePasses()) << "after a datagram cut by the buffer: " << LastError();
}

TEST(StrayDatagram, EmptyDatagramIsNoAnswerAndEndsNoScan) {
    ServicePeer peer;
    Running<std::int32_t> scan([] { return ScanNetwork(nullptr, 0); });
    ASSERT_TRUE(peer.TakeRequest());
    ASSERT_TRUE(peer.AnswerFrom("127.0.0.20", {}));
    ASSERT_TRUE(peer.AnswerFrom("127.0.0.21", ScanAnswer(1)));
    ASSERT_TRUE(peer.AnswerFrom("127.0.0.22", ScanAnswer(2)));
    EXPECT_EQ(scan.Get(), 2);
}

// Every answer that reaches the machine counts, also when hundreds come at once.
TEST(StrayDatagram, ThreeHundredAnswersAtOnceAreAllCounted) {
    constexpr int kModules = 300;
    std::vector<std::unique_ptr<UdpEndpoint>> modules;
    for (int m = 0; m < kModules; ++m)
        modules.push_back(std::make_unique<UdpEndpoint>("127.0." + std::to_string(1 + m / 200) + "." +
                                                            std::to_string(1 + m % 200),
                                                        0));
    ServicePeer peer;
    std::vector<ModuleScanRecord> records(kModules);
    Running<std::int32_t> scan([&] { return ScanNetwork(records.data(), kModules); });
    ASSERT_TRUE(peer.TakeRequest());
    for (int m = 0; m < kModules; ++m) ASSERT_TRUE(peer.AnswerFrom(*modules[m], ScanAnswer(m)));
    EXPECT_EQ(scan.Get(), kModules);
    EXPECT_EQ(records[kModules - 1].ModuleMac[5], (kModules - 1) & 0xFF);
}

// A peer that never stops answering holds the scan for its upper bound, not longer.
TEST(StrayDatagram, EndlessAnswersEndTheScanAtItsLimit) {
    ServicePeer peer;
    std::atomic<bool> scanning{true};
    const auto start = Clock::now();
    Running<std::int32_t> scan([&] {
        const std::int32_t found = ScanNetwork(nullptr, 0);
        scanning = false;
        return found;
    });
    ASSERT_TRUE(peer.TakeRequest());
    const auto giveUp = start + 15s;
    while (scanning && Clock::now() < giveUp) {
        peer.AnswerFrom("127.0.0.30", ScanAnswer(1));
        std::this_thread::sleep_for(50ms);  // the pace of the peer, well inside the silence
    }
    EXPECT_GT(scan.Get(), 10);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_LT(seconds, kScanLimitMs / 1000.0 + 3.0);
}

}  // namespace
}  // namespace kravent
