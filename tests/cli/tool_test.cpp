// kravent run as a host program would run it, against simulated modules in the
// private network namespace of each test.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <memory>
#include <string>
#include <vector>

#include "sim/module_simulator.h"
#include "sim/register_text.h"
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

// Chromium's first start on a loaded machine takes its time.
RunOptions LongRun() {
    RunOptions options;
    options.limit = std::chrono::seconds(150);
    return options;
}

RunOptions SignalOn(const std::string& text, int signal) {
    RunOptions options;
    options.signalOn = text;
    options.signal = signal;
    return options;
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
              R"("HOMINGOPTIONS":{"nibble0":1,"bit7":true,"nibble2":2,"nibble3":3,"nibble4":4,"nibble5":5},)"
              R"("TCPTIMEOUT":77}})"
              "\n");
}

TEST_F(CliToolLoopback, OutOfRangeWritesAreRefusedBeforeAnythingIsSent) {
    for (const char* assignment : {"KP=40000", "LOOPTIME=300", "LIMIT1REGULATIONMODE=300", "REGULATIONMODE=6",
                                   "TCPTIMEOUT=256", "IPADDRESS=192.168.0.256", "HOMINGOPTIONS=16,0,0,0,0,0"}) {
        const ToolRun run = RunTool({"write", "127.0.0.1", "KI=3", assignment});
        EXPECT_EQ(run.status, 2) << assignment;
        EXPECT_TRUE(Contains(run.err, "out of range")) << run.err;
    }
    EXPECT_EQ(RunTool({"write", "127.0.0.1", "KP=40000"}).err, "kravent: KP=40000: out of range -32768 to 32767.99998\n");
    EXPECT_EQ(module->GetCounters().udpFrames + module->GetCounters().tcpFrames, 0u) << "nothing reached the module";

    const ToolRun sent = RunTool({"write", "127.0.0.1", "KP=0.1", "LOOPTIME=255"});
    ASSERT_EQ(sent.status, 0) << sent.err;
    EXPECT_EQ(RowValue(sent.out, "KP"), "0.099990845") << "the value on the wire, cut to 1/65536";
    EXPECT_EQ(Registers().GetFloat("KP"), 0.099990845f);
    EXPECT_EQ(Registers().GetInt("LOOPTIME"), 255);
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

TEST(CliToolReconnect, PollReopensALinkTheModuleClosesAndMarksTheGap) {
    ASSERT_TRUE(InPrivateNetns()) << "runs only in a namespace of its own";
    sim::ModuleSettings settings;
    settings.bindAddress = "127.0.0.1";
    settings.faults.closeAfterExchanges = 4;  // every connection ends after four answers
    sim::ModuleSimulator module(settings);
    ASSERT_TRUE(module.Start()) << module.LastError();
    const ToolRun run = RunTool({"poll", "127.0.0.1", "POSITION", "--json", "--period", "50", "--duration", "1.5",
                                 "--reconnect"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string marks;  // l(ost), b(ack) and a(nswer), in order
    for (const std::string& line : Lines(run.out))
        marks += Contains(line, "\"link\":\"lost\"") ? 'l' : Contains(line, "\"link\":\"back\"") ? 'b' : 'a';
    EXPECT_TRUE(Contains(marks, "alba")) << run.out;
    EXPECT_EQ(marks.find("ll"), std::string::npos) << run.out;

    const ToolRun without = RunTool({"poll", "127.0.0.1", "POSITION", "--period", "50", "--duration", "1.5"});
    EXPECT_EQ(without.status, 1) << "without --reconnect a closed link ends the poll: " << without.out;
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
    EXPECT_TRUE(Contains(run.err, "kravent: nothing answered the module test on UDP 7010 at 127.0.0.9 in time")) << run.err;
    EXPECT_FALSE(Contains(run.err, "Initial Test failed")) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    const ToolRun verbose = RunTool({"read", "127.0.0.9", "TYPE", "--verbose"});
    EXPECT_TRUE(Contains(verbose.err, "Initial Test failed\t(Vorn_KRAVENT_OpenConnection_MAINPORT)")) << verbose.err;

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

    const ToolRun change = RunTool({"set-ip", "02:4b:52:00:00:21", "10.77.0.42", "255.255.255.0", "--verbose"});
    ASSERT_EQ(change.status, 0) << change.err;
    EXPECT_TRUE(Contains(change.err, "changing the address of 02:4b:52:00:00:21 -> 10.77.0.42/255.255.255.0"))
        << change.err;
    EXPECT_TRUE(Contains(change.err, "....")) << "a tick for each quarter second of the wait: " << change.err;

    ToolRun info;
    for (int attempt = 0; attempt < 5 && info.status != 0; ++attempt) info = RunTool({"info", "10.77.0.42"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(RowValue(info.out, "IPADDRESS"), "10.77.0.42");
    EXPECT_EQ(RowValue(info.out, "SUBNETMASK"), "255.255.255.0");

    const ToolRun taken = RunTool({"set-ip", "02:4b:52:00:00:21", "10.77.0.42", "255.255.255.0", "--verbose"});
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
    EXPECT_LT(position(lines.back()), position(*(header + 1))) << "the motor moves back towards 0";
    EXPECT_TRUE(Contains(run.out, "KRAVENT-SIM"));
    EXPECT_TRUE(Contains(run.out, "step from 0 to 2000 counts: rise time ")) << run.out;
    const std::string chart = std::filesystem::current_path() / "demo-step.svg";
    EXPECT_TRUE(Contains(run.out, "written to " + chart)) << run.out;
    EXPECT_TRUE(std::filesystem::exists(chart));
}

TEST(CliToolDemo, SaysSoWhenItsPortsAreTaken) {
    ASSERT_TRUE(InPrivateNetns());
    sim::ModuleSimulator squatter;  // every local address, ports 8010 and 7010
    ASSERT_TRUE(squatter.Start()) << squatter.LastError();
    const ToolRun run = RunTool({"demo"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "TCP port 8010 and UDP port 7010")) << run.err;
}

// kravent step against the simulated motor: its figures, and a chart that parses as
// XML, holds its three series and renders to a picture in headless Chromium; poll draws too.
TEST_F(CliToolLoopback, StepAndPollDrawTheirCharts) {
    const std::string chart = ::testing::TempDir() + "kravent-step-" + std::to_string(getpid()) + ".svg";
    const ToolRun step = RunTool({"step", "127.0.0.1", "--target", "1500", "--duration", "4", "--plot", chart, "--json"});
    ASSERT_EQ(step.status, 0) << step.err;
    EXPECT_TRUE(Contains(step.out, R"({"ip":"127.0.0.1","start":0,"target":1500,"rise_s":)")) << step.out;
    EXPECT_FALSE(Contains(step.out, R"("settling_s":null)")) << "the motor reaches its target within 4 s: " << step.out;
    EXPECT_EQ(Registers().GetInt("REGULATIONMODE"), 1);
    const ToolRun stepChart = RunCaptured("/usr/bin/python3", {KRAVENT_CHART_CHECK, chart, "100", "POSITION", "DESIRED", "SPEED"},
                                          LongRun());
    EXPECT_EQ(stepChart.status, 0) << stepChart.err << stepChart.out;

    const ToolRun poll = RunTool({"poll", "127.0.0.1", "POSITION", "VOLTAGE", "--duration", "1", "--plot", chart});
    ASSERT_EQ(poll.status, 0) << poll.err;
    EXPECT_TRUE(Contains(poll.err, "chart written to " + chart)) << poll.err;
    const ToolRun pollChart = RunCaptured("/usr/bin/python3", {KRAVENT_CHART_CHECK, chart, "5", "POSITION", "VOLTAGE"}, LongRun());
    EXPECT_EQ(pollChart.status, 0) << pollChart.err << pollChart.out;
    std::remove(chart.c_str());
}

TEST_F(CliToolLoopback, StopSignalsCloseAndSummarise) {
    const ToolRun poll = RunTool({"poll", "127.0.0.1", "POSITION", "--duration", "60"}, SignalOn("time_ms,POSITION\n", SIGINT));
    EXPECT_EQ(poll.status, 130) << poll.err;
    EXPECT_TRUE(Contains(poll.err, "kravent: poll: interrupted after ")) << poll.err;
    EXPECT_TRUE(module->Log().WaitFor([](const sim::Counters& c) { return c.connectionsOpen == 0; }, std::chrono::seconds(10)));

    // A free address on a link of its own: the signal comes during the library's 5 s in-use check.
    NetTopology net;
    ASSERT_TRUE(net.Valid()) << net.error();
    const ToolRun setIp = RunTool({"set-ip", "02:4b:52:00:00:99", "10.77.0.99", "255.255.255.0"},
                                  SignalOn("changing the address", SIGTERM));
    EXPECT_EQ(setIp.status, 130) << setIp.err;
    EXPECT_TRUE(Contains(setIp.err, "kravent: set-ip: interrupted after ")) << setIp.err;
}

// Every command's JSON, on stdout and on stderr, read by Python's json module, which
// also refuses a key given twice; a module name in UTF-8 with a stray byte stays readable.
TEST_F(CliToolLoopback, EveryCommandsJsonIsValid) {
    const auto name = sim::ParseRegisterValue(kRegisters[static_cast<std::size_t>(RegisterIndex("MODULENAME"))],
                                              "Achse-\xc3\xbc\xff");
    ASSERT_TRUE(name);
    Registers().SetRaw("MODULENAME", *name);
    const std::vector<std::vector<std::string>> commands = {
        {"scan"}, {"info", "127.0.0.1"}, {"read", "127.0.0.1", "VOLTAGE", "voltage", "TYPE", "MODULENAME", "HOMINGOPTIONS"},
        {"dump", "127.0.0.1"}, {"write", "127.0.0.1", "KP=0.1", "OPTIONS=bit3"}, {"run", "127.0.0.1", "HOMING"},
        {"poll", "127.0.0.1", "POSITION", "SPEED", "--duration", "0.5"}, {"read", "127.0.0.9", "TYPE"},
        {"write", "127.0.0.1", "NOSUCH=1"}, {"set-ip", "02:4b:52:00:00:01", "127.0.0.5", "255.0.0.0"}};
    const std::string file = ::testing::TempDir() + "kravent-json-" + std::to_string(getpid());
    for (const auto& command : commands) {
        std::vector<std::string> args = command;
        args.push_back("--json");
        const ToolRun run = RunTool(args);
        std::FILE* out = std::fopen(file.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fputs((run.out + run.err).c_str(), out);
        std::fclose(out);
        const ToolRun check = RunCaptured(
            "/usr/bin/python3",
            {"-c",
             "import json, sys\n"
             "def unique(pairs):\n"
             "    keys = [k for k, _ in pairs]\n"
             "    assert len(keys) == len(set(keys)), keys\n"
             "    return dict(pairs)\n"
             "lines = open(sys.argv[1], 'rb').read().decode('utf-8').splitlines()\n"
             "assert lines\n"
             "docs = [json.loads(line, object_pairs_hook=unique) for line in lines]\n"
             "print(json.dumps(docs, ensure_ascii=False))\n",
             file});
        EXPECT_EQ(check.status, 0) << command[0] << ":\n" << run.out << run.err << check.err;
        if (command[0] == "read" && command[1] == "127.0.0.1") {
            EXPECT_TRUE(Contains(check.out, "\"MODULENAME\": \"Achse-\xc3\xbc\\\\xff\"")) << check.out;
        }
    }
    std::remove(file.c_str());
}

// The causes of a failure come from the log of the library that the tool loaded: a
// copy of the library in a directory of this test, so that no other test's records mix in.
TEST(CliToolCauses, FailuresShowWhatTheLibraryLogged) {
    ASSERT_TRUE(InPrivateNetns());
    char pattern[] = "/tmp/kravent-causes-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string directory = pattern;
    const std::string library = directory + "/libVorn-KRAVENT_DLLInterface.so.1";  // the tool's soname
    ASSERT_EQ(RunProgram({"/bin/cp", KRAVENT_LIBRARY_PATH, library}), 0);
    RunOptions privateLog;
    privateLog.environment = {"LD_LIBRARY_PATH=" + directory};

    sim::ModuleSettings wrongType;
    wrongType.bindAddress = "127.0.0.2";
    ASSERT_TRUE(wrongType.SetRegister("TYPE", "3.1"));
    sim::ModuleSimulator wrong(wrongType);
    ASSERT_TRUE(wrong.Start()) << wrong.LastError();
    sim::ModuleSettings silentModule;
    silentModule.bindAddress = "127.0.0.3";
    silentModule.faults.silent = true;
    sim::ModuleSimulator silent(silentModule);
    ASSERT_TRUE(silent.Start()) << silent.LastError();

    sim::ModuleSettings noMainPort;  // answers the module test, but nothing listens on TCP 8010
    noMainPort.bindAddress = "127.0.0.4";
    noMainPort.tcpPort = 0;
    sim::ModuleSimulator tcpLess(noMainPort);
    ASSERT_TRUE(tcpLess.Start()) << tcpLess.LastError();

    // The main line says which step failed; the library's words follow with --verbose.
    const std::string otherType =
        "kravent: a module answered at 127.0.0.2 but is of another type (TYPE 3.1; this library serves TYPE 2.2): "
        "check that the address is the module's (kravent scan lists each module with its TYPE)\n";
    EXPECT_EQ(RunTool({"info", "127.0.0.2"}, privateLog).err, otherType);
    const ToolRun type = RunTool({"info", "127.0.0.2", "--verbose"}, privateLog);
    EXPECT_EQ(type.status, 1);
    EXPECT_EQ(type.err, otherType +
                            "kravent: cause: This module is not compatible with this DLL\n"
                            "kravent: last error: Initial Test failed\t(Vorn_KRAVENT_OpenConnection_MAINPORT)\n");
    const ToolRun silentRun = RunTool({"info", "127.0.0.3", "--json"}, privateLog);
    EXPECT_EQ(silentRun.status, 1);
    EXPECT_TRUE(Contains(silentRun.err, R"({"error":"nothing answered the module test on UDP 7010 at 127.0.0.3 in time: run `kravent scan`)"))
        << silentRun.err;
    EXPECT_TRUE(Contains(silentRun.err, R"("causes":["Address IP not found on the network"])")) << silentRun.err;
    const ToolRun refused = RunTool({"info", "127.0.0.4"}, privateLog);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(Contains(refused.err, "kravent: TCP 8010 at 127.0.0.4 refused or did not connect")) << refused.err;
    // No route at all: the tool asks the system and sends nothing, so the library logs nothing.
    const ToolRun noRoute = RunTool({"info", "10.99.0.1", "--json"}, privateLog);
    EXPECT_EQ(noRoute.status, 1);
    EXPECT_TRUE(Contains(noRoute.err, R"({"error":"no route or interface towards 10.99.0.1: )")) << noRoute.err;
    EXPECT_TRUE(Contains(noRoute.err, R"("causes":[],"lastError":null})")) << noRoute.err;
    // A namespace of its own without a running interface: the broadcast cannot leave.
    const ToolRun scan = RunCaptured("/usr/bin/unshare", {"-n", KRAVENT_TOOL_PATH, "scan", "--verbose"}, privateLog);
    EXPECT_EQ(scan.status, 1);
    EXPECT_EQ(scan.err,
              "kravent: the scan request could not be sent: no network interface of this machine took the "
              "broadcast; check that one is up with an IPv4 address (ip address)\n"
              "kravent: last error: Unable to send the scan request\t(Vorn_KRAVENT_ScanNetwork)\n");
    RunProgram({"/bin/rm", "-rf", directory});
}

TEST(CliToolMessages, ExactWordsAndVersions) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> tool = {
        {{"frobnicate"}, "kravent: unknown command frobnicate (see kravent --help)\n"},
        {{"--frobnicate"}, "kravent: unknown option --frobnicate (see kravent --help)\n"},
        {{"read", "127.0.0.1", "NOSUCH"}, "kravent: unknown register NOSUCH (kravent help registers lists them)\n"},
        {{"write", "127.0.0.1", "KP=abc"}, "kravent: KP=abc: expected a real number from -32768 to 32767.99998\n"},
        {{"write", "127.0.0.1", "KP=1", "kp=2"}, "kravent: KP is assigned twice\n"},
        {{"run", "127.0.0.1", "HOME"},
         "kravent: HOME is not a module command; run takes RESETCPU, SAVEUSERPARAMETERS, RESTOREUSERPARAMETERS, "
         "RESTOREFACTORYPARAMETERS, SAVEFACTORYPARAMETERS, HOMING, STOPHOMING or reset-warnings (any case)\n"}};
    for (const auto& [args, message] : tool) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, message);
    }
    const std::string config = ::testing::TempDir() + "kravent-sim-" + std::to_string(getpid()) + ".conf";
    std::FILE* file = std::fopen(config.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("# a module\nKP=abc\n", file);
    std::fclose(file);
    const std::vector<std::pair<std::vector<std::string>, std::string>> simulator = {
        {{"--frobnicate"}, "kravent-sim: unknown option --frobnicate (see --help)\n"},
        {{"--set", "FOO=1"}, "kravent-sim: unknown register FOO\n"},
        {{"--config", config}, "kravent-sim: " + config + ":2: KP=abc is not a valid value of KP (expects a decimal number)\n"}};
    for (const auto& [args, message] : simulator) {
        const ToolRun run = RunCaptured(SimulatorPath(), args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, message);
    }
    std::remove(config.c_str());

    const ToolRun version = RunTool({"--version"});
    EXPECT_EQ(version.out, "Vorn-KRAVENT_DLLInterface_v1.00.00_140807\n");
    EXPECT_EQ(RunCaptured(SimulatorPath(), {"--version"}).out, version.out);
}

// kravent-sim --modules 3 with no other option: one scan finds all three, and --trace
// shows each frame decoded, one line each.
TEST(CliToolSimulator, ModulesFoundByOneScanAndFramesTraced) {
    ASSERT_TRUE(InPrivateNetns());
    SimProcess sim({SimulatorPath(), "--modules", "3", "--trace"});
    ASSERT_TRUE(sim.Ready());
    const ToolRun scan = RunTool({"scan", "--json"});
    ASSERT_EQ(scan.status, 0) << scan.err;
    EXPECT_TRUE(Contains(scan.out, R"({"found":3,)")) << scan.out;
    ASSERT_EQ(RunTool({"write", "127.0.0.2", "KP=2.5"}).status, 0);

    std::vector<std::string> trace;
    for (std::string line; trace.size() < 10 && !(line = sim.ReadLine(std::chrono::seconds(10))).empty();)
        trace.push_back(line);
    const auto has = [&](const std::string& part) {
        return std::any_of(trace.begin(), trace.end(), [&](const std::string& l) { return Contains(l, part); });
    };
    EXPECT_TRUE(has(" module 2 <- udp ")) << "the scan reached module 2";
    EXPECT_TRUE(has("read request: TYPE VERSION MODULENAME ETHERNETMAC"));
    EXPECT_TRUE(has(" module 1 -> udp ")) << "module 1 answered";
    EXPECT_TRUE(has(R"(read answer: TYPE=2.2 VERSION=1.0 MODULENAME="KRAVENT-SIM" ETHERNETMAC=02:4b:52:00:00:03)"));
    EXPECT_TRUE(has(" module 1 <- tcp 127.0.0.1:")) << "the write's connection";
    EXPECT_TRUE(has("write request: KP=2.5"));
    for (const std::string& line : trace) EXPECT_EQ(line[2], ':') << "each line starts with the time: " << line;
}

// tcpdump on `interface` of the test's namespace, writing each packet as it takes it.
// A small snapshot length keeps many packets in its ring, so that bursts are not dropped.
class Capture {
public:
    Capture(const char* interface, const char* filter)
        : path_(::testing::TempDir() + "kravent-" + std::to_string(getpid()) + "-" + interface + ".pcap") {
        int errors[2];
        if (pipe(errors) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(errors[1], STDERR_FILENO);
            close(errors[0]);
            execl("/usr/bin/tcpdump", "tcpdump", "-i", interface, "-s", "2048", "-B", "4096", "--immediate-mode", "-U",
                  "-w", path_.c_str(), filter, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(errors[1]);
        std::string said;
        for (char c; said.find("listening on") == std::string::npos && read(errors[0], &c, 1) == 1;) said += c;
        listening_ = said.find("listening on") != std::string::npos;
        errors_ = errors[0];
    }
    ~Capture() {
        Stop("", std::chrono::seconds(0));
        std::remove(path_.c_str());
    }
    bool Listening() const { return listening_; }
    // Waits until the file holds `last` (the last bytes the test expects), then ends tcpdump.
    void Stop(const std::string& last, std::chrono::seconds limit = std::chrono::seconds(30)) {
        if (pid_ <= 0) return;
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
            std::ifstream file(path_, std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
            if (bytes.find(last) != std::string::npos) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid_, SIGINT);
        waitpid(pid_, nullptr, 0);
        close(errors_);
        pid_ = -1;
    }
    // tshark with the Lua dissector, every KRAVENT frame in detail.
    ToolRun Dissect() const {
        return RunCaptured("/usr/bin/tshark",
                           {"-r", path_, "-X", std::string("lua_script:") + KRAVENT_DISSECTOR, "-V", "-Y", "kravent"});
    }

private:
    std::string path_;
    pid_t pid_ = -1;
    int errors_ = -1;
    bool listening_ = false;
};

// While the tool scans, writes and changes an address: tshark with the Lua dissector
// names each frame's registers, values and checksum.
TEST(CliToolWireshark, DissectorDecodesACapture) {
    NetTopology net;
    ASSERT_TRUE(net.Valid()) << net.error();
    ASSERT_GE(net.AddModule("10.77.0.11", {"--mac", "02:4B:52:00:00:11"}), 0) << net.error();
    Capture capture("any", "udp port 7010 or tcp port 8010");
    ASSERT_TRUE(capture.Listening());

    EXPECT_EQ(RunTool({"scan"}).status, 0);
    EXPECT_EQ(RunTool({"write", "10.77.0.11", "KP=2.5", "POSITION=-40"}).status, 0);
    EXPECT_EQ(RunTool({"set-ip", "02:4b:52:00:00:11", "10.77.0.42", "255.255.255.0"}).status, 0);
    capture.Stop(std::string("\x00\x2A\x00\x01\x00\x0E", 6));  // the address change's header

    const ToolRun dissected = capture.Dissect();
    ASSERT_EQ(dissected.status, 0) << dissected.err;
    for (const char* expected :
         {"KRAVENT read request", "Register: MODULENAME", "KRAVENT read answer", "TYPE = 2.2", "MODULENAME = \"KRAVENT-SIM\"",
          "ETHERNETMAC = 02:4b:52:00:00:11", "KRAVENT write request", "KP = 2.5", "POSITION = -40",
          "KRAVENT address change", "New IP address: 10.77.0.42", "New subnet mask: 255.255.255.0", "Checksum status: correct"})
        EXPECT_TRUE(Contains(dissected.out, expected)) << expected;
    EXPECT_FALSE(Contains(dissected.out, "Checksum status: wrong"));
}

// Two answers written in pieces of 5 bytes: pieces end inside a header and hold the end
// of one frame with the start of the next. Each answer is decoded whole, once.
TEST(CliToolWireshark, DissectorReassemblesAnswersSplitOverSegments) {
    ASSERT_TRUE(InPrivateNetns());
    SimProcess sim({SimulatorPath(), "--bind", "127.0.0.1", "--split", "5"});
    ASSERT_TRUE(sim.Ready());
    Capture capture("lo", "tcp port 8010");
    ASSERT_TRUE(capture.Listening());

    TcpConnection module;
    ASSERT_TRUE(module.Connect("127.0.0.1", 8010));
    // VOLTAGE, KP; then MODULENAME, ETHERNETMAC: answers of 18 and 32 bytes.
    ASSERT_TRUE(module.Send(Concat(MakeFrame(0x0021, {0x07, 0x33}), MakeFrame(0x0021, {0x15, 0x11}))));
    const Bytes answers = module.ReceiveExactly(50);
    ASSERT_EQ(answers.size(), 50u);
    capture.Stop(std::string(answers.end() - 5, answers.end()));

    const ToolRun dissected = capture.Dissect();
    ASSERT_EQ(dissected.status, 0) << dissected.err;
    const std::string all = dissected.out + dissected.err;
    EXPECT_TRUE(Contains(all, "Reassembled TCP Segments")) << "the answers came in pieces:\n" << all;
    for (const char* expected : {"VOLTAGE = 24", "KP = 1.5", "MODULENAME = \"KRAVENT-SIM\"", "ETHERNETMAC = 02:4b:52:00:00:01"})
        EXPECT_TRUE(Contains(all, expected)) << expected << "\n" << all;
    std::size_t answersSeen = 0;
    for (std::size_t at = all.find("KRAVENT read answer"); at != std::string::npos; at = all.find("KRAVENT read answer", at + 1))
        ++answersSeen;
    EXPECT_EQ(answersSeen, 2u) << all;
    for (const char* wrong : {"Dissector bug", "Malformed", "Checksum status: wrong"}) EXPECT_FALSE(Contains(all, wrong)) << wrong;
}

TEST(CliToolHelp, ListsTheRegisters) {
    const ToolRun help = RunTool({"help", "registers"});
    ASSERT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "OUPUTVOLTAGEMAX")) << help.out;
    EXPECT_TRUE(Contains(help.out, "real number, 16.16 fixed point on the wire, -32768 to 32767.99998 [A]")) << "CURRENTMAX";
    EXPECT_TRUE(Contains(help.out, "integer, 0 to 5")) << "REGULATIONMODE";
    const ToolRun usage = RunTool({"--help"});
    ASSERT_EQ(usage.status, 0);
    EXPECT_TRUE(Contains(usage.out, "set-ip MAC IP MASK"));
    EXPECT_TRUE(Contains(usage.out, "LIMIT2XINPUT"));
}

}  // namespace
}  // namespace kravent::testsupport
