// kravent-sim as a program, and modules in namespaces of their own joined to the
// test's private namespace by a bridge.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>

#include "protocol/frame.h"
#include "tests/support/raw_clients.h"
#include "tests/support/sim_process.h"

namespace kravent::testsupport {
namespace {

using namespace std::chrono_literals;

const Bytes kReadType = {0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xDD};
const Bytes kScan = {0x00, 0x21, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 0x15, 0x11, 0xEA, 0xC8};

Bytes ChangeIp(const Bytes& mac, const Bytes& ip, const Bytes& mask) {
    return MakeFrame(wire::kChangeIpAddress, Concat(Concat(mac, ip), mask), wire::kChangeIpWord);
}

bool AnswersTypeTest(const std::string& address, std::chrono::milliseconds timeout) {
    UdpEndpoint udp;
    if (!udp.SendTo(address, 7010, kReadType)) return false;
    const auto answer = udp.Receive(timeout);
    return answer && answer->from == address && answer->bytes.size() == 13;
}

class SimProcessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(InPrivateNetns()) << "run through run-in-netns.sh"; }
};

// Driven over standard input, as the benchmark drives it: modules start and stop on
// command, and the arrival times of their TCP frames come back per module.
TEST_F(SimProcessTest, ControlModeStartsStopsAndReportsFrameTimes) {
    SimProcess sim({SimulatorPath(), "--control"});
    ASSERT_TRUE(sim.Ready());
    ASSERT_TRUE(sim.WriteLine("start 127.0.0.1 2"));
    ASSERT_EQ(sim.ReadLine(10s), "ok");
    TcpConnection tcp;
    ASSERT_TRUE(tcp.Connect("127.0.0.2", 8010));
    ASSERT_TRUE(tcp.Send(kReadType));
    ASSERT_EQ(tcp.ReceiveExactly(13).size(), 13u);
    ASSERT_TRUE(sim.WriteLine("frames"));
    EXPECT_EQ(sim.ReadLine(5s), "2");
    EXPECT_EQ(sim.ReadLine(5s), "0") << "the first module received nothing";
    EXPECT_EQ(sim.ReadLine(5s), "1");
    EXPECT_GT(std::stoll(sim.ReadLine(5s)), 0);
    ASSERT_TRUE(sim.WriteLine("stop"));
    EXPECT_EQ(sim.ReadLine(10s), "ok");
    EXPECT_FALSE(tcp.Connect("127.0.0.2", 8010, 500ms)) << "stopped";
}

TEST_F(SimProcessTest, PlaysAModuleOnTheDefaultPortsAndStopsCleanlyOnSigterm) {
    SimProcess sim({SimulatorPath()});
    ASSERT_TRUE(sim.Ready());
    TcpConnection c;
    ASSERT_TRUE(c.Connect("127.0.0.1", 8010));
    ASSERT_TRUE(c.Send(kReadType));
    EXPECT_EQ(c.ReceiveExactly(13).size(), 13u);
    EXPECT_TRUE(AnswersTypeTest("127.0.0.1", 2000ms));
    const int status = sim.Stop(SIGTERM);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SimProcessTest, StopsCleanlyOnSigint) {
    SimProcess sim({SimulatorPath(), "--tcp-port", "9100", "--udp-port", "9101"});
    ASSERT_TRUE(sim.Ready());
    const int status = sim.Stop(SIGINT);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SimProcessTest, HelpDescribesEveryOptionAndBadOptionsFail) {
    for (const char* option : {"--help"}) EXPECT_EQ(RunProgram({SimulatorPath(), option}), 0);
    EXPECT_EQ(RunProgram({SimulatorPath(), "--no-such-option", "1"}), 2);
    EXPECT_EQ(RunProgram({SimulatorPath(), "--set", "KP=fast"}), 2);
    EXPECT_EQ(RunProgram({SimulatorPath(), "--config", "/nonexistent/kravent.conf"}), 2);
}

TEST_F(SimProcessTest, OptionsSetTheRegistersItAnswers) {
    SimProcess sim({SimulatorPath(), "--type", "2.3", "--name", "AXIS-X", "--set", "TOPSPEED=1234"});
    ASSERT_TRUE(sim.Ready());
    TcpConnection c;
    ASSERT_TRUE(c.Connect("127.0.0.1", 8010));
    ASSERT_TRUE(c.Send(MakeFrame(wire::kReadRequest, {0x00, 0x15, 0x42})));
    const Bytes answer = c.ReceiveExactly(8 + 5 + 17 + 5);
    ASSERT_EQ(answer.size(), 35u);
    EXPECT_EQ(Bytes(answer.begin() + 7, answer.begin() + 11), (Bytes{0, 2, 0, 3}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&answer[12]), 6), "AXIS-X");
    EXPECT_EQ(wire::GetU32(&answer[29]), 1234u);
}

TEST_F(SimProcessTest, SeveralModulesOnConsecutiveAddressesAnswerOneScan) {
    SimProcess sim({SimulatorPath(), "--modules", "3", "--bind", "127.0.0.21"});
    ASSERT_TRUE(sim.Ready());
    UdpEndpoint udp;
    ASSERT_TRUE(udp.SendTo("255.255.255.255", 7010, kScan));
    std::vector<std::string> sources;
    std::vector<int> macEnds;
    for (const auto& d : udp.ReceiveUntilQuiet(500ms)) {
        ASSERT_EQ(d.bytes.size(), 42u);
        sources.push_back(d.from);
        macEnds.push_back(d.bytes[39]);
    }
    std::sort(sources.begin(), sources.end());
    std::sort(macEnds.begin(), macEnds.end());
    EXPECT_EQ(sources, (std::vector<std::string>{"127.0.0.21", "127.0.0.22", "127.0.0.23"}));
    EXPECT_EQ(macEnds, (std::vector<int>{1, 2, 3}));
}

// --- Topologies of namespaces -----------------------------------------------

TEST_F(SimProcessTest, ScanReachesThreeModulesEachAnsweringFromItsOwnAddress) {
    NetTopology net;
    ASSERT_TRUE(net.Valid()) << net.error();
    for (int k = 0; k < 3; ++k)
        ASSERT_GE(net.AddModule("10.77.0." + std::to_string(11 + k), {"--mac", "02:4B:52:00:01:0" + std::to_string(k)}), 0)
            << net.error();
    UdpEndpoint udp;
    ASSERT_TRUE(udp.SendTo("255.255.255.255", 7010, kScan));
    std::vector<std::string> sources;
    // Every answer is awaited, however loaded the machine: no silence window decides.
    while (sources.size() < 3) {
        const auto d = udp.Receive(5000ms);
        ASSERT_TRUE(d) << "answers so far: " << sources.size();
        EXPECT_EQ(d->bytes.size(), 42u);
        sources.push_back(d->from);
    }
    EXPECT_FALSE(udp.Receive(300ms)) << "each module answers once";
    std::sort(sources.begin(), sources.end());
    EXPECT_EQ(sources, (std::vector<std::string>{"10.77.0.11", "10.77.0.12", "10.77.0.13"}));
    EXPECT_TRUE(IcmpEcho("10.77.0.12", 2000ms));
}

TEST_F(SimProcessTest, AddressChangeReallyMovesTheModule) {
    NetTopology net;
    ASSERT_TRUE(net.Valid()) << net.error();
    ASSERT_GE(net.AddModule("10.77.0.11"), 0) << net.error();
    ASSERT_GE(net.AddModule("10.77.0.12", {"--mac", "02:4B:52:00:00:02"}), 0) << net.error();
    ASSERT_TRUE(IcmpEcho("10.77.0.11", 2000ms));

    UdpEndpoint udp;
    ASSERT_TRUE(udp.SendTo("255.255.255.255", 7010, ChangeIp({2, 0x4B, 0x52, 0, 0, 1}, {10, 77, 0, 51}, {255, 255, 255, 0})));
    const auto ack = udp.Receive(2000ms);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->from, "10.77.0.11");
    EXPECT_FALSE(udp.Receive(300ms)) << "only the module with that MAC answers";

    // The move follows the acknowledgement; give it a generous while.
    bool moved = false;
    for (auto end = std::chrono::steady_clock::now() + 10s; !moved && std::chrono::steady_clock::now() < end;)
        moved = AnswersTypeTest("10.77.0.51", 200ms);
    ASSERT_TRUE(moved);
    EXPECT_TRUE(IcmpEcho("10.77.0.51", 2000ms));
    EXPECT_FALSE(IcmpEcho("10.77.0.11", 500ms));
    EXPECT_FALSE(AnswersTypeTest("10.77.0.11", 300ms));
    EXPECT_TRUE(AnswersTypeTest("10.77.0.12", 2000ms));  // the other module stays
    TcpConnection c;
    ASSERT_TRUE(c.Connect("10.77.0.51", 8010));
    ASSERT_TRUE(c.Send(MakeFrame(wire::kReadRequest, {0x12, 0x13})));
    const Bytes answer = c.ReceiveExactly(18);
    ASSERT_EQ(answer.size(), 18u);
    EXPECT_EQ(Bytes(answer.begin() + 7, answer.begin() + 11), (Bytes{10, 77, 0, 51}));
    EXPECT_EQ(Bytes(answer.begin() + 12, answer.begin() + 16), (Bytes{255, 255, 255, 0}));
}

TEST_F(SimProcessTest, ModuleRefusesToManageAnInterfaceOutsideAPrivateNamespace) {
    std::vector<std::string> argv = {"env", "-u", "KRAVENT_IN_NETNS", SimulatorPath(), "--manage-interface", "lo"};
    EXPECT_EQ(RunProgram(argv), 1);
}

}  // namespace
}  // namespace kravent::testsupport
