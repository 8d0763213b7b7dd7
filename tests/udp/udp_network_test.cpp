// The module test, the scan and the IP address change against simulated modules, in
// a private network namespace of each test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "udp/ip_change.h"
#include "udp/module_test.h"
#include "udp/network_scan.h"
#include "udp/udp_service.h"
#include "log/error_log.h"
#include "sim/module_simulator.h"
#include "tests/support/raw_clients.h"
#include "tests/support/sim_process.h"

namespace kravent {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string LastError() {
    char text[300];
    std::int32_t length = sizeof text;
    CopyLastErrorText(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class LoopbackModule : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(module.Start()) << module.LastError(); }
    sim::ModuleSimulator module;
    const std::int32_t loopback[4] = {127, 0, 0, 1};
};

TEST_F(LoopbackModule, ServedTypePassesTheTest) {
    EXPECT_TRUE(MakeInitialTYPETest(loopback));
}

TEST_F(LoopbackModule, OtherTypeIsNotCompatible) {
    module.GetFaults().SetAnswerType(2, 3);
    EXPECT_FALSE(MakeInitialTYPETest(loopback));
    EXPECT_EQ(LastError(), "This module is not compatible with this DLL\t(MakeInitialTYPETest)");
}

TEST_F(LoopbackModule, SilentModuleIsNotFoundAfterTwoSeconds) {
    module.GetFaults().silent = true;
    const auto start = Clock::now();
    EXPECT_FALSE(MakeInitialTYPETest(loopback));
    EXPECT_EQ(LastError(), "Address IP not found on the network\t(MakeInitialTYPETest)");
    EXPECT_GE(SecondsSince(start), 1.9);
    EXPECT_LT(SecondsSince(start), 6.0);
}

TEST_F(LoopbackModule, CorruptAnswerIsCountedAndTheModuleNotFound) {
    module.GetFaults().corruptNext = 1;
    EXPECT_FALSE(MakeInitialTYPETest(loopback));
    EXPECT_EQ(LastError(), "Address IP not found on the network\t(MakeInitialTYPETest)");
    EXPECT_EQ(UdpChecksumErrorCount(), 1u) << "the first such frame since the library was loaded";
    EXPECT_TRUE(MakeInitialTYPETest(loopback)) << "the next answer is sound again";
}

TEST(ModuleTest, NoListenerMeansNotFound) {
    const std::int32_t loopback[4] = {127, 0, 0, 1};
    EXPECT_FALSE(MakeInitialTYPETest(loopback));
    EXPECT_EQ(LastError(), "Address IP not found on the network\t(MakeInitialTYPETest)");
}

TEST(Scan, NoModuleGivesZeroAfterTheSilenceAndLeavesTheArray) {
    ModuleScanRecord records[2];
    std::memset(records, 0x5A, sizeof records);
    const auto start = Clock::now();
    EXPECT_EQ(ScanNetwork(records, 2), 0);
    EXPECT_GE(SecondsSince(start), 0.19);
    EXPECT_LT(SecondsSince(start), 2.0);
    for (std::size_t i = 0; i < sizeof records; ++i)
        ASSERT_EQ(reinterpret_cast<const unsigned char*>(records)[i], 0x5A) << "byte " << i;
}

TEST_F(LoopbackModule, ScanFindsTheModuleWithItsIdentity) {
    ModuleScanRecord record{};
    ASSERT_EQ(Vorn_KRAVENT_ScanNetwork(&record, 1), 1);
    EXPECT_EQ(record.TypeHigh, 2);
    EXPECT_EQ(record.TypeLow, 2);
    EXPECT_EQ((std::vector<int>{record.ModuleMac, record.ModuleMac + 6}), (std::vector<int>{2, 0x4B, 0x52, 0, 0, 1}));
    EXPECT_EQ((std::vector<int>{record.ModuleIP, record.ModuleIP + 4}), (std::vector<int>{127, 0, 0, 1}));
    EXPECT_EQ(std::memcmp(record.ModuleName, "KRAVENT-SIM", 11), 0);
}

TEST_F(LoopbackModule, ScanWithoutRoomOnlyCounts) {
    EXPECT_EQ(Vorn_KRAVENT_ScanNetwork(nullptr, 5), 1) << "a null array is treated as no room";
    ModuleScanRecord record{};
    EXPECT_EQ(Vorn_KRAVENT_ScanNetwork(&record, 0), 1);
    EXPECT_EQ(record.TypeHigh, 0);
}

TEST(ScanTopology, ThreeModulesAndRoomForTwo) {
    testsupport::NetTopology net;
    ASSERT_TRUE(net.Valid()) << net.error();
    const char* addresses[] = {"10.77.0.11", "10.77.0.12", "10.77.0.13"};
    for (int i = 0; i < 3; ++i) {
        const std::string mac = "02:4B:52:00:00:1" + std::to_string(i);
        ASSERT_GE(net.AddModule(addresses[i], {"--mac", mac, "--name", "MODULE-" + std::to_string(i), "--version", "1.5"}), 0)
            << net.error();
    }
    // The scan ends at its first 200 ms of silence: let every module know the host's
    // link address first, so that no answer waits for an address resolution.
    for (const char* address : addresses) ASSERT_TRUE(testsupport::IcmpEcho(address, 2000ms)) << address;
    ModuleScanRecord records[2] = {};
    ASSERT_EQ(Vorn_KRAVENT_ScanNetwork(records, 2), 3);
    std::string first = std::to_string(records[0].ModuleIP[3]);
    std::string second = std::to_string(records[1].ModuleIP[3]);
    EXPECT_NE(first, second) << "each record carries the address its answer came from";
    for (const ModuleScanRecord& r : records) {
        EXPECT_EQ((std::vector<int>{r.ModuleIP, r.ModuleIP + 3}), (std::vector<int>{10, 77, 0}));
        EXPECT_EQ(r.ModuleMac[5], 0x10 + (r.ModuleIP[3] - 11)) << "MAC and sender belong together";
        EXPECT_EQ((std::vector<int>{r.TypeHigh, r.TypeLow, r.VersionHigh, r.VersionLow}),
                  (std::vector<int>{2, 2, 1, 5}));
        EXPECT_EQ(std::string(r.ModuleName, 7), "MODULE-");
    }
}

// Two links on different subnets and no route for the limited broadcast, as a PC with
// a second card for its machine network has: the scan and the address change go out
// through both.
TEST(ScanTopology, EveryInterfaceCarriesTheScanAndTheAddressChange) {
    testsupport::NetTopology net("10.77.1.1", 24, false);
    ASSERT_TRUE(net.Valid()) << net.error();
    ASSERT_EQ(net.AddLink("10.77.2.1"), 1) << net.error();
    ASSERT_GE(net.AddModule("10.77.1.11", {"--mac", "02:4B:52:00:01:11"}, 0), 0) << net.error();
    ASSERT_GE(net.AddModule("10.77.2.11", {"--mac", "02:4B:52:00:02:11"}, 1), 0) << net.error();
    for (const char* address : {"10.77.1.11", "10.77.2.11"}) ASSERT_TRUE(testsupport::IcmpEcho(address, 2000ms));
    const auto scanned = [] {
        ModuleScanRecord records[4] = {};
        const std::int32_t found = Vorn_KRAVENT_ScanNetwork(records, 4);
        std::vector<std::string> macs;
        for (std::int32_t i = 0; i < found && i < 4; ++i)
            macs.push_back(std::to_string(records[i].ModuleMac[4]) + "@" + std::to_string(records[i].ModuleIP[2]));
        std::sort(macs.begin(), macs.end());
        return macs;
    };
    EXPECT_EQ(scanned(), (std::vector<std::string>{"1@1", "2@2"}));

    // A second address on the first link: its module hears the request twice and is
    // still one module.
    ASSERT_EQ(testsupport::RunProgram({"ip", "addr", "add", "10.77.1.2/24", "dev", "krbr0"}), 0);
    EXPECT_EQ(scanned(), (std::vector<std::string>{"1@1", "2@2"}));

    const std::int32_t mac[] = {0x02, 0x4B, 0x52, 0x00, 0x02, 0x11};
    const std::int32_t newIp[] = {10, 77, 2, 42};
    const std::int32_t mask[] = {255, 255, 255, 0};
    ASSERT_TRUE(ChangeIPAddress(mac, newIp, mask)) << LastError();
    bool movedThere = false;
    for (int attempt = 0; attempt < 10 && !movedThere; ++attempt) movedThere = MakeInitialTYPETest(newIp);
    EXPECT_TRUE(movedThere);

    ASSERT_TRUE(net.SetLinkUp(0, false));
    EXPECT_EQ(scanned(), (std::vector<std::string>{"2@2"})) << "the other link still carries the scan";
}

TEST(ChangeIp, FailuresAreFollowedByTheExportsOwnRecord) {
    const std::int32_t mac[] = {0x02, 0x4B, 0x52, 0x00, 0x00, 0x01};
    const std::int32_t ip[] = {10, 0, 0, 50};
    EXPECT_FALSE(Vorn_KRAVENT_ChangeIPAddress(mac, ip, nullptr));
    EXPECT_EQ(LastError(), "ChangeIPAddress Failed\t(Vorn_KRAVENT_ChangeIPAddress)");
}

TEST(ChangeIp, AddressInUseIsRefused) {
    const std::int32_t mac[] = {0x02, 0x4B, 0x52, 0x00, 0x00, 0x01};
    const std::int32_t loopback[] = {127, 0, 0, 1};
    const std::int32_t mask[] = {255, 0, 0, 0};
    EXPECT_FALSE(ChangeIPAddress(mac, loopback, mask));
    EXPECT_EQ(LastError(), "The IP address is already in use\t(ChangeIPAddress)");
}

TEST(ChangeIpTopology, ModuleMovesToAFreeAddressAndAnswersThere) {
    testsupport::NetTopology net;
    ASSERT_TRUE(net.Valid()) << net.error();
    ASSERT_GE(net.AddModule("10.77.0.21", {"--mac", "02:4B:52:00:00:21"}), 0) << net.error();
    const std::int32_t mac[] = {0x02, 0x4B, 0x52, 0x00, 0x00, 0x21};
    const std::int32_t oldIp[] = {10, 77, 0, 21};
    const std::int32_t newIp[] = {10, 77, 0, 42};
    const std::int32_t mask[] = {255, 255, 255, 0};
    ASSERT_TRUE(MakeInitialTYPETest(oldIp));

    EXPECT_FALSE(ChangeIPAddress(mac, oldIp, mask)) << "the module answers at its own address";
    EXPECT_EQ(LastError(), "The IP address is already in use\t(ChangeIPAddress)");

    const std::int32_t otherMac[] = {0x02, 0x4B, 0x52, 0x00, 0x00, 0x99};
    EXPECT_FALSE(ChangeIPAddress(otherMac, newIp, mask));
    EXPECT_EQ(LastError(), "Change IP Address acknowledge not received from the module\t(ChangeIPAddress)");

    const auto start = Clock::now();
    ASSERT_TRUE(Vorn_KRAVENT_ChangeIPAddress(mac, newIp, mask)) << LastError();
    EXPECT_GE(SecondsSince(start), 4.5) << "the in-use test waits for its echo";
    bool movedThere = false;
    for (int attempt = 0; attempt < 10 && !movedThere; ++attempt) movedThere = MakeInitialTYPETest(newIp);
    EXPECT_TRUE(movedThere);
    EXPECT_FALSE(MakeInitialTYPETest(oldIp));
}

}  // namespace
}  // namespace kravent
