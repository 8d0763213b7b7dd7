// kravent run as a host program would run it, against simulated modules in the
// private network namespace of each test.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "sim/module_simulator.h"
#include "tests/cli/tool_process.h"
#include "tests/support/raw_clients.h"
#include "tests/support/sim_process.h"

namespace kravent::testsupport {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A table row "NAME  value" of the tool's output, the value alone; empty when absent.
std::string RowValue(const std::string& out, const std::string& name) {
    for (const std::string& line : Lines(out))
        if (line.rfind(name + " ", 0) == 0) {
            const std::size_t start = line.find_first_not_of(' ', name.size());
            return start == std::string::npos ? "" : line.substr(start);
        }
    return "";
}

std::size_t FramesOfType(const sim::ModuleSimulator& module, std::uint16_t type) {
    std::size_t n = 0;
    for (const sim::ReceivedFrame& f : module.ReceivedFrames())
        if (f.bytes.size() >= 2 && (f.bytes[0] << 8 | f.bytes[1]) == type) ++n;
    return n;
}

class CliToolLoopback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(InPrivateNetns()) << "runs only in a namespace of its own";
        sim::ModuleSettings settings;
        settings.bindAddress = "127.0.0.1";
        module = std::make_unique<sim::ModuleSimulator>(settings);
        ASSERT_TRUE(module->Start()) << module->LastError();
    }
    sim::RegisterStore& Registers() { return module->Registers(); }
    std::unique_ptr<sim::ModuleSimulator> module;
};

TEST_F(CliToolLoopback, DumpShowsEveryReadableRegisterInItsForm) {
    Registers().SetInt("POSITION", -40);
    const ToolRun run = RunTool({"dump", "127.0.0.1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 46u) << "a header and the 45 readable registers:\n" << run.out;
    EXPECT_EQ(RowValue(run.out, "TYPE"), "2.2");
    EXPECT_EQ(RowValue(run.out, "ETHERNETMAC"), "02:4b:52:00:00:01");
    EXPECT_EQ(RowValue(run.out, "IPADDRESS"), "127.0.0.1");
    EXPECT_EQ(RowValue(run.out, "KP"), "1.5");
    EXPECT_EQ(RowValue(run.out, "POSITION"), "-40");
    EXPECT_EQ(RowValue(run.out, "MODULENAME"), "KRAVENT-SIM");
    EXPECT_EQ(RowValue(run.out, "WARNINGS"), "0x00000000 (none)");
    EXPECT_EQ(RowValue(run.out, "HOMINGOPTIONS"), "nibble0=0 bit7=0 nibble2=0 nibble3=0 nibble4=0 nibble5=0");
    EXPECT_EQ(RowValue(run.out, "INPUTOFFSET"), "") << "write-only registers are not read";
}

TEST_F(CliToolLoopback, WrittenValuesReadBack) {
    const ToolRun write = RunTool({"write", "127.0.0.1", "kp=2.25", "MODULENAME=AXIS-7", "OPTIONS=bit3,bit5",
                                   "HOMINGOPTIONS=1,1,2,3,4,5", "TCPTIMEOUT=77"});
    ASSERT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(RowValue(write.out, "KP"), "2.25");
    EXPECT_EQ(Registers().GetFloat("KP"), 2.25f) << "the module holds what was written";
    EXPECT_EQ(Registers().GetWord("OPTIONS"), 0x28u);

    const ToolRun read = RunTool({"read", "127.0.0.1", "KP", "modulename", "OPTIONS", "HOMINGOPTIONS", "TCPTIMEOUT", "--json"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out,
              R"({"ip":"127.0.0.1","registers":{"KP":2.25,"MODULENAME":"AXIS-7",)"
              R"("OPTIONS":{"word":"0x00000028","bits":["bit3","bit5"]},)"
              R"("HOMINGOPTIONS":{"HomingNibble0":1,"HomingBit7":true,"HomingNibble2":2,"HomingNibble3":3,)"
              R"("HomingNibble4":4,"HomingNibble5":5},"TCPTIMEOUT":77}})"
              "\n");
}

TEST_F(CliToolLoopback, TheLibraryRefusesOutOfRangeValuesAndNothingIsSent) {
    const ToolRun timeout = RunTool({"write", "127.0.0.1", "KP=3", "TCPTIMEOUT=256"});
    EXPECT_EQ(timeout.status, 1);
    EXPECT_TRUE(Contains(timeout.err, "TCP TimeOut value not valid.\t(Vorn_KRAVENT_Write_TCPTIMEOUT)")) << timeout.err;

    const ToolRun address = RunTool({"write", "127.0.0.1", "IPADDRESS=192.168.0.256"});
    EXPECT_EQ(address.status, 1);
    EXPECT_TRUE(Contains(address.err, "Address IP not valid\t(Vorn_KRAVENT_Write_IPADDRESS)")) << address.err;

    EXPECT_EQ(FramesOfType(*module, 0x0022), 0u) << "no write request reached the module";
    EXPECT_EQ(Registers().GetFloat("KP"), 1.5f);
}

TEST_F(CliToolLoopback, WrongCommandLinesAskNothingOfTheModule) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"read", "127.0.0.1", "NOSUCH"}, {"write", "127.0.0.1", "SPEED=3"},
          {"write", "127.0.0.1", "POSITION=99999999999"}, {"poll", "127.0.0.1", "KP"}, {"run", "127.0.0.1", "JUMP"},
          {"read", "127.0.0.300x", "TYPE"}, {"frobnicate"}}) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2) << args[0] << " " << run.err;
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_EQ(module->GetCounters().udpFrames + module->GetCounters().tcpFrames, 0u);
}

TEST_F(CliToolLoopback, CommandsRunOnTheModule) {
    Registers().RaiseWarnings(0x5);
    const ToolRun info = RunTool({"info", "127.0.0.1"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(RowValue(info.out, "WARNINGS"), "0x00000005 (limit1,overcurrent)");
    EXPECT_EQ(RowValue(info.out, "VOLTAGE"), "24");
    EXPECT_EQ(RowValue(info.out, "SUBNETMASK"), "255.0.0.0");

    const ToolRun reset = RunTool({"run", "127.0.0.1", "reset-warnings"});
    ASSERT_EQ(reset.status, 0) << reset.err;
    EXPECT_EQ(Registers().GetWord("WARNINGS"), 0u);

    Registers().SetInt("HOMINGPOSITION", 500);
    const ToolRun homing = RunTool({"run", "127.0.0.1", "homing", "--json"});
    ASSERT_EQ(homing.status, 0) << homing.err;
    EXPECT_EQ(homing.out, "{\"ip\":\"127.0.0.1\",\"ran\":\"HOMING\"}\n");
    EXPECT_TRUE(module->Motor().Homing());
}

TEST_F(CliToolLoopback, PollForOneSecondGivesALinePerAnswer) {
    Registers().SetInt("REGULATIONMODE", 2);  // speed mode: the position keeps changing
    Registers().SetInt("INPUT", 800);
    const ToolRun csv = RunTool({"poll", "127.0.0.1", "POSITION", "speed", "--period", "100", "--duration", "1"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto lines = Lines(csv.out);
    ASSERT_GE(lines.size(), 4u) << csv.out;
    EXPECT_EQ(lines[0], "time_ms,POSITION,SPEED");
    EXPECT_LE(lines.size(), 40u) << "about ten answers in one second at 100 ms";
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), ','), 2) << lines[i];
    EXPECT_NE(lines[1].substr(lines[1].find(',')), lines.back().substr(lines.back().find(','))) << "the motor moves";

    const ToolRun json = RunTool({"poll", "127.0.0.1", "VOLTAGE", "--json", "--duration", "0.5", "--period", "50"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto jsonLines = Lines(json.out);
    ASSERT_GE(jsonLines.size(), 2u);
    for (const std::string& line : jsonLines) {
        EXPECT_EQ(line.rfind("{\"time_ms\":", 0), 0u) << line;
        EXPECT_TRUE(Contains(line, ",\"VOLTAGE\":2")) << "about 24 V: " << line;
    }
}

TEST_F(CliToolLoopback, TheCExampleReadsAndPolls) {
    const ToolRun run = RunCaptured(KRAVENT_EXAMPLE_PATH, {"127.0.0.1"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const auto lines = Lines(run.out);
    ASSERT_GE(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0], "type 2.2, name KRAVENT-SIM, supply 24.00 V");
    EXPECT_EQ(lines[1].rfind("poll  1: VOLTAGE 24.00 V, POSITION 0", 0), 0u) << lines[1];
}

TEST(CliToolUnreachable, NoModuleMeansTheLibrarysMessageAndFailure) {
    ASSERT_TRUE(InPrivateNetns());
    const ToolRun run = RunTool({"read", "127.0.0.9", "TYPE"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "Initial Test failed\t(Vorn_KRAVENT_OpenConnection_MAINPORT)")) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;

    const ToolRun json = RunTool({"info", "127.0.0.9", "--json"});
    EXPECT_EQ(json.status, 1);
    EXPECT_TRUE(Contains(json.err, R"j("lastError":"Initial Test failed\u0009(Vorn_KRAVENT_OpenConnection_MAINPORT)")j"))
        << json.err;
}

TEST(CliToolTopology, ScanListsBothModules) {
    NetTopology net;
    ASSERT_TRUE(net.Valid()) << net.error();
    ASSERT_GE(net.AddModule("10.77.0.11", {"--mac", "02:4B:52:00:00:11", "--name", "LEFT"}), 0) << net.error();
    ASSERT_GE(net.AddModule("10.77.0.12", {"--mac", "02:4B:52:00:00:12", "--name", "RIGHT", "--version", "1.5"}), 0)
        << net.error();

    const ToolRun table = RunTool({"scan"});
    ASSERT_EQ(table.status, 0) << table.err;
    const auto lines = Lines(table.out);
    ASSERT_EQ(lines.size(), 3u) << table.out;
    EXPECT_EQ(lines[0].substr(0, 3), "MAC");
    for (const char* expected : {"02:4b:52:00:00:11  10.77.0.11  2.2   1.0      LEFT",
                                 "02:4b:52:00:00:12  10.77.0.12  2.2   1.5      RIGHT"})
        EXPECT_TRUE(lines[1] == expected || lines[2] == expected) << table.out;

    const ToolRun json = RunTool({"scan", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(Contains(json.out, R"({"found":2,"modules":[)")) << json.out;
    EXPECT_TRUE(Contains(json.out, R"({"mac":"02:4b:52:00:00:12","ip":"10.77.0.12","type":"2.2","version":"1.5","name":"RIGHT"})"))
        << json.out;
}

TEST(CliToolTopology, SetIpMovesTheModule) {
    NetTopology net;
    ASSERT_TRUE(net.Valid()) << net.error();
    ASSERT_GE(net.AddModule("10.77.0.21", {"--mac", "02:4B:52:00:00:21"}), 0) << net.error();

    const ToolRun change = RunTool({"set-ip", "02:4b:52:00:00:21", "10.77.0.42", "255.255.255.0"});
    ASSERT_EQ(change.status, 0) << change.err;
    EXPECT_TRUE(Contains(change.err, "changing the address of 02:4b:52:00:00:21 -> 10.77.0.42/255.255.255.0"))
        << change.err;
    EXPECT_TRUE(Contains(change.err, "....")) << "a tick for each quarter second of the wait: " << change.err;

    ToolRun info;
    for (int attempt = 0; attempt < 5 && info.status != 0; ++attempt) info = RunTool({"info", "10.77.0.42"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(RowValue(info.out, "IPADDRESS"), "10.77.0.42");
    EXPECT_EQ(RowValue(info.out, "SUBNETMASK"), "255.255.255.0");

    const ToolRun taken = RunTool({"set-ip", "02:4b:52:00:00:21", "10.77.0.42", "255.255.255.0"});
    EXPECT_EQ(taken.status, 1);
    EXPECT_TRUE(Contains(taken.err, "ChangeIPAddress Failed\t(Vorn_KRAVENT_ChangeIPAddress)")) << taken.err;
}

TEST(CliToolDemo, RunsOnLoopbackAndExitsZero) {
    ASSERT_TRUE(InPrivateNetns());
    const ToolRun run = RunTool({"demo"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const auto lines = Lines(run.out);
    const auto header = std::find(lines.begin(), lines.end(), "time_ms,POSITION,SPEED");
    ASSERT_NE(header, lines.end()) << run.out;
    ASSERT_GE(lines.end() - header, 5);
    const auto position = [](const std::string& line) { return std::stoi(line.substr(line.find(',') + 1)); };
    EXPECT_GT(position(lines.back()), position(*(header + 1))) << "the motor moves towards its target";
    EXPECT_TRUE(Contains(run.out, "KRAVENT-SIM"));
}

TEST(CliToolDemo, SaysSoWhenItsPortsAreTaken) {
    ASSERT_TRUE(InPrivateNetns());
    sim::ModuleSimulator squatter;  // every local address, ports 8010 and 7010
    ASSERT_TRUE(squatter.Start()) << squatter.LastError();
    const ToolRun run = RunTool({"demo"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "TCP port 8010 and UDP port 7010")) << run.err;
}

TEST(CliToolHelp, ListsTheRegisters) {
    const ToolRun help = RunTool({"help", "registers"});
    ASSERT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "OUPUTVOLTAGEMAX")) << help.out;
    const ToolRun usage = RunTool({"--help"});
    ASSERT_EQ(usage.status, 0);
    EXPECT_TRUE(Contains(usage.out, "set-ip MAC IP MASK"));
    EXPECT_TRUE(Contains(usage.out, "LIMIT2XINPUT"));
}

}  // namespace
}  // namespace kravent::testsupport
