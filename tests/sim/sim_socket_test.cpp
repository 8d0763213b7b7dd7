// The simulator over real sockets, in the test's private network namespace:
// loopback only, with the limited broadcast routed to it.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "protocol/frame.h"
#include "sim/module_simulator.h"
#include "tests/support/raw_clients.h"
#include "tests/support/sim_process.h"

namespace kravent::sim {
namespace {

using namespace std::chrono_literals;
using testsupport::Bytes;
using testsupport::Concat;
using testsupport::MakeFrame;
using testsupport::TcpConnection;
using testsupport::UdpEndpoint;

const Bytes kReadType = {0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xDD};
const Bytes kTypeAnswer = {0x00, 0x23, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x02, 0x00, 0x02, 0xFB, 0xD7};
const Bytes kWriteRegulationMode = {0x00, 0x22, 0x00, 0x00, 0x00, 0x02, 0x20, 0x01, 0xDF, 0xDA};
const Bytes kEmptyAnswer = {0x00, 0x23, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDC};
const Bytes kScan = {0x00, 0x21, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 0x15, 0x11, 0xEA, 0xC8};

Bytes ChangeIp(const Bytes& mac, const Bytes& ip, const Bytes& mask) {
    return MakeFrame(wire::kChangeIpAddress, Concat(Concat(mac, ip), mask), wire::kChangeIpWord);
}

class SimSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(testsupport::InPrivateNetns()) << "run through run-in-netns.sh";
    }
    void StartModule(ModuleSettings settings = {}) {
        module = std::make_unique<ModuleSimulator>(std::move(settings));
        ASSERT_TRUE(module->Start()) << module->LastError();
    }
    TcpConnection Connect(const std::string& address = "127.0.0.1") {
        TcpConnection c;
        EXPECT_TRUE(c.Connect(address, module->TcpPort()));
        return c;
    }
    bool WaitCounters(auto pred) { return module->Log().WaitFor(pred, 5s); }

    std::unique_ptr<ModuleSimulator> module;
};

TEST_F(SimSocketTest, AnswersRequestsAndTakesWritesOnTheMainPort) {
    StartModule();
    TcpConnection c = Connect();
    ASSERT_TRUE(c.Send(kReadType));
    EXPECT_EQ(c.ReceiveExactly(kTypeAnswer.size()), kTypeAnswer);
    ASSERT_TRUE(c.Send(kWriteRegulationMode));
    EXPECT_EQ(c.ReceiveExactly(kEmptyAnswer.size()), kEmptyAnswer);
    EXPECT_EQ(module->Registers().GetInt("REGULATIONMODE"), 1);
}

TEST_F(SimSocketTest, ReadFollowedByWriteInOnePacketGetsOneAnswer) {
    StartModule();
    TcpConnection c = Connect();
    ASSERT_TRUE(c.Send(Concat(kReadType, kWriteRegulationMode)));
    EXPECT_EQ(c.ReceiveExactly(kTypeAnswer.size() + kEmptyAnswer.size()), Concat(kTypeAnswer, kEmptyAnswer));
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.answersSent >= 1; }));
    EXPECT_EQ(module->GetCounters().tcpFrames, 2u);
    EXPECT_EQ(module->GetCounters().answersSent, 1u);
}

TEST_F(SimSocketTest, ReassemblesARequestSentByteByByte) {
    StartModule();
    TcpConnection c = Connect();
    for (std::uint8_t byte : kReadType) {
        ASSERT_TRUE(c.Send({byte}));
    }
    EXPECT_EQ(c.ReceiveExactly(kTypeAnswer.size()), kTypeAnswer);
}

TEST_F(SimSocketTest, CountsConnectionsAndLogsFramesPerConnection) {
    StartModule();
    TcpConnection first = Connect();
    TcpConnection second = Connect();
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.connectionsOpen == 2; }));
    ASSERT_TRUE(second.Send(MakeFrame(wire::kReadRequest, {0x1A})));  // TCPCONNECTIONSOPENED
    const Bytes answer = second.ReceiveExactly(10);
    ASSERT_EQ(answer.size(), 10u);
    EXPECT_EQ(answer[7], 2);
    ASSERT_TRUE(first.Send(kReadType));
    EXPECT_EQ(first.ReceiveExactly(kTypeAnswer.size()), kTypeAnswer);

    const auto frames = module->ReceivedFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].connection, 2);
    EXPECT_EQ(frames[1].connection, 1);
    EXPECT_EQ(frames[1].bytes, kReadType);

    first.Close();
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.connectionsOpen == 1; }));
    EXPECT_EQ(module->Registers().GetInt("TCPCONNECTIONSOPENED"), 1);
    EXPECT_EQ(module->GetCounters().connectionsAccepted, 2u);
}

TEST_F(SimSocketTest, DropsAndCountsAFrameWithABadChecksum) {
    StartModule();
    TcpConnection c = Connect();
    Bytes bad = kReadType;
    bad.back() ^= 0x01;
    ASSERT_TRUE(c.Send(bad));
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.checksumErrors == 1; }));
    ASSERT_TRUE(c.Send(kReadType));
    EXPECT_EQ(c.ReceiveExactly(kTypeAnswer.size()), kTypeAnswer);
    EXPECT_EQ(module->GetCounters().tcpFrames, 1u);
}

TEST_F(SimSocketTest, AnswersTheTypeTestAndABroadcastScanOverUdp) {
    StartModule();
    UdpEndpoint udp;
    ASSERT_TRUE(udp.SendTo("127.0.0.1", kDefaultUdpPort, kReadType));
    auto answer = udp.Receive(2s);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes, kTypeAnswer);

    ASSERT_TRUE(udp.SendTo("255.255.255.255", kDefaultUdpPort, kScan));
    answer = udp.Receive(2s);
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->bytes.size(), 42u);
    EXPECT_TRUE(wire::ChecksumMatches(answer->bytes.data(), 34));
    EXPECT_EQ(answer->bytes[33], 0x11);
}

TEST_F(SimSocketTest, ModulesOnSeveralLoopbackAddressesShareTheServicePort) {
    std::vector<std::unique_ptr<ModuleSimulator>> modules;
    for (int k = 0; k < 3; ++k) {
        ModuleSettings s;
        s.bindAddress = "127.0.0." + std::to_string(11 + k);
        ASSERT_TRUE(s.SetRegister("ETHERNETMAC", "02:4B:52:00:00:1" + std::to_string(k)));
        modules.push_back(std::make_unique<ModuleSimulator>(s));
        ASSERT_TRUE(modules.back()->Start()) << modules.back()->LastError();
    }
    UdpEndpoint udp;
    ASSERT_TRUE(udp.SendTo("255.255.255.255", kDefaultUdpPort, kScan));
    std::vector<std::string> sources;
    for (const auto& d : udp.ReceiveUntilQuiet(500ms)) {
        EXPECT_EQ(d.bytes.size(), 42u);
        sources.push_back(d.from);
    }
    std::sort(sources.begin(), sources.end());
    EXPECT_EQ(sources, (std::vector<std::string>{"127.0.0.11", "127.0.0.12", "127.0.0.13"}));

    // A datagram to one module's own address reaches that module alone.
    ASSERT_TRUE(udp.SendTo("127.0.0.12", kDefaultUdpPort, kReadType));
    const auto replies = udp.ReceiveUntilQuiet(500ms);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].from, "127.0.0.12");
}

TEST_F(SimSocketTest, AddressChangeRebindsAModuleBoundToItsAddress) {
    ModuleSettings s;
    s.bindAddress = "127.0.0.2";
    StartModule(s);
    UdpEndpoint udp;
    // Another module's MAC: no answer, nothing moves.
    ASSERT_TRUE(udp.SendTo("255.255.255.255", kDefaultUdpPort, ChangeIp({2, 0x4B, 0x52, 0, 0, 9}, {127, 0, 0, 3}, {255, 0, 0, 0})));
    EXPECT_FALSE(udp.Receive(300ms));
    ASSERT_TRUE(udp.SendTo("255.255.255.255", kDefaultUdpPort, ChangeIp({2, 0x4B, 0x52, 0, 0, 1}, {127, 0, 0, 3}, {255, 0, 0, 0})));
    const auto ack = udp.Receive(2s);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->from, "127.0.0.2");  // acknowledged from the old address
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.addressChanges == 1; }));

    EXPECT_EQ(module->BindAddress(), "127.0.0.3");
    const WireValue ip = module->Registers().GetRaw("IPADDRESS");
    EXPECT_EQ(Bytes(ip.begin(), ip.begin() + 4), (Bytes{127, 0, 0, 3}));
    TcpConnection moved;
    EXPECT_TRUE(moved.Connect("127.0.0.3", module->TcpPort()));
    TcpConnection old;
    EXPECT_FALSE(old.Connect("127.0.0.2", module->TcpPort()));
    ASSERT_TRUE(udp.SendTo("127.0.0.3", kDefaultUdpPort, kReadType));
    const auto answer = udp.Receive(2s);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->from, "127.0.0.3");
    ASSERT_TRUE(udp.SendTo("127.0.0.2", kDefaultUdpPort, kReadType));
    EXPECT_FALSE(udp.Receive(300ms));
}

// Bound to every address, the module reports the one it is reached at: over TCP the
// connection's own address, over UDP the address its answer leaves from.
TEST_F(SimSocketTest, IpAddressRegisterIsTheAddressTheModuleIsReachedAt) {
    ASSERT_EQ(testsupport::RunProgram({"ip", "addr", "add", "10.2.0.2/32", "dev", "lo"}), 0);
    StartModule();
    const Bytes readIp = MakeFrame(wire::kReadRequest, {0x12});
    const Bytes reachedAnswer = MakeFrame(wire::kReadAnswer, {0x12, 10, 2, 0, 2});
    TcpConnection tcp = Connect("10.2.0.2");
    ASSERT_TRUE(tcp.Send(readIp));
    EXPECT_EQ(tcp.ReceiveExactly(reachedAnswer.size()), reachedAnswer);
    UdpEndpoint udp("10.2.0.2", 0);
    ASSERT_TRUE(udp.SendTo("255.255.255.255", kDefaultUdpPort, readIp));
    const auto reply = udp.Receive(2s);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->from, "10.2.0.2");
    EXPECT_EQ(reply->bytes, reachedAnswer);

    // Once written, the register keeps its value wherever the module is reached.
    ASSERT_TRUE(tcp.Send(MakeFrame(wire::kWriteRequest, {0x12, 192, 168, 0, 10})));
    EXPECT_EQ(tcp.ReceiveExactly(kEmptyAnswer.size()), kEmptyAnswer);
    TcpConnection local = Connect("127.0.0.1");
    ASSERT_TRUE(local.Send(readIp));
    const Bytes writtenAnswer = MakeFrame(wire::kReadAnswer, {0x12, 192, 168, 0, 10});
    EXPECT_EQ(local.ReceiveExactly(writtenAnswer.size()), writtenAnswer);
}

// --- Faults ---------------------------------------------------------------------

TEST_F(SimSocketTest, DelayHoldsEveryAnswerBack) {
    ModuleSettings s;
    s.faults.delayMs = 300;
    StartModule(s);
    TcpConnection c = Connect();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(c.Send(kReadType));
    EXPECT_EQ(c.ReceiveExactly(kTypeAnswer.size()), kTypeAnswer);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 290ms);
}

TEST_F(SimSocketTest, SilentModuleTakesRequestsInButNeverAnswers) {
    StartModule();
    module->GetFaults().silent.store(true);
    TcpConnection c = Connect();
    ASSERT_TRUE(c.Send(kReadType));
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.tcpFrames == 1; }));
    UdpEndpoint udp;
    ASSERT_TRUE(udp.SendTo("127.0.0.1", kDefaultUdpPort, kReadType));
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.udpFrames == 1; }));
    EXPECT_TRUE(c.ReceiveSome(300ms).empty());
    EXPECT_FALSE(udp.Receive(100ms));
    EXPECT_EQ(module->GetCounters().answersSent, 0u);
}

TEST_F(SimSocketTest, CorruptsTheChecksumOfTheNextAnswersOnly) {
    StartModule();
    module->GetFaults().corruptNext.store(2);
    TcpConnection c = Connect();
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(c.Send(kReadType));
        const Bytes answer = c.ReceiveExactly(kTypeAnswer.size());
        ASSERT_EQ(answer.size(), kTypeAnswer.size());
        EXPECT_EQ(wire::ChecksumMatches(answer.data(), 5), k == 2) << "answer " << k;
    }
}

TEST_F(SimSocketTest, SplitAnswersStillArriveWhole) {
    ModuleSettings s;
    s.faults.splitBytes = 1;
    StartModule(s);
    TcpConnection c = Connect();
    ASSERT_TRUE(c.Send(Concat(kReadType, kWriteRegulationMode)));
    EXPECT_EQ(c.ReceiveExactly(21), Concat(kTypeAnswer, kEmptyAnswer));
}

TEST_F(SimSocketTest, MergedAnswersGoOutTogether) {
    ModuleSettings s;
    s.faults.mergeAnswers = 2;
    StartModule(s);
    TcpConnection c = Connect();
    ASSERT_TRUE(c.Send(kReadType));
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.tcpFrames == 1; }));
    EXPECT_TRUE(c.ReceiveSome(300ms).empty());  // held back until the second answer
    ASSERT_TRUE(c.Send(kReadType));
    EXPECT_EQ(c.ReceiveExactly(26), Concat(kTypeAnswer, kTypeAnswer));
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.answersSent >= 1; }));
    EXPECT_EQ(module->GetCounters().answersSent, 1u);
}

TEST_F(SimSocketTest, ClosesTheConnectionAfterTheSetNumberOfExchanges) {
    ModuleSettings s;
    s.faults.closeAfterExchanges = 2;
    StartModule(s);
    TcpConnection c = Connect();
    for (int k = 0; k < 2; ++k) {
        ASSERT_TRUE(c.Send(kReadType));
        EXPECT_EQ(c.ReceiveExactly(kTypeAnswer.size()), kTypeAnswer);
    }
    EXPECT_TRUE(c.WaitClosed());
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.connectionsOpen == 0; }));
}

TEST_F(SimSocketTest, UnknownRegisterAndForeignTypeFaults) {
    ModuleSettings s;
    s.faults.unknownRegister = true;
    s.faults.overrideType = true;
    s.faults.answerType = 0x00020003;
    StartModule(s);
    UdpEndpoint udp;
    ASSERT_TRUE(udp.SendTo("127.0.0.1", kDefaultUdpPort, kReadType));
    const auto answer = udp.Receive(2s);
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->bytes.size(), 18u);
    EXPECT_EQ(Bytes(answer->bytes.begin() + 6, answer->bytes.begin() + 12), (Bytes{0x00, 0, 2, 0, 3, kUnknownAddress}));
}

TEST_F(SimSocketTest, SurvivesGarbageOnBothPorts) {
    StartModule();
    std::mt19937 random(12345);
    UdpEndpoint udp;
    for (int round = 0; round < 50; ++round) {
        Bytes junk(1 + random() % 1500);
        for (auto& b : junk) b = static_cast<std::uint8_t>(random());
        if (round % 5 == 0) junk[0] = 0x00, junk[1] = 0x21;  // plausible headers too
        TcpConnection c = Connect();
        ASSERT_TRUE(c.Send(junk));
        udp.SendTo("127.0.0.1", kDefaultUdpPort, junk);
        c.Close();
        // One at a time, so that the connection limit never turns one away.
        const std::size_t accepted = static_cast<std::size_t>(round) + 1;
        ASSERT_TRUE(WaitCounters([&](const Counters& n) { return n.connectionsAccepted == accepted && n.connectionsOpen == 0; }));
    }
    while (udp.Receive(100ms)) {}  // answers to junk that happened to be frames
    TcpConnection c = Connect();
    ASSERT_TRUE(c.Send(kReadType));
    EXPECT_EQ(c.ReceiveExactly(kTypeAnswer.size()), kTypeAnswer);
    ASSERT_TRUE(udp.SendTo("127.0.0.1", kDefaultUdpPort, kReadType));
    const auto answer = udp.Receive(2s);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->bytes, kTypeAnswer);
}

TEST_F(SimSocketTest, StopClosesConnectionsAndFreesThePorts) {
    StartModule();
    TcpConnection c = Connect();
    ASSERT_TRUE(WaitCounters([](const Counters& n) { return n.connectionsOpen == 1; }));
    module->Stop();
    EXPECT_TRUE(c.WaitClosed());
    ModuleSimulator again;
    EXPECT_TRUE(again.Start()) << again.LastError();
}

}  // namespace
}  // namespace kravent::sim
