// demo: a simulated module on loopback, and the tool against it: every register, a
// position step drawn to demo-step.svg, then the motor's position and speed while it
// moves back. Nothing leaves loopback (no broadcast), so it runs on any machine.
#include <cstdio>
#include <filesystem>

#include "cli/commands.h"
#include "cli/register_catalogue.h"
#include "cli/value_format.h"
#include "sim/module_simulator.h"

namespace kravent::cli {

namespace {

constexpr const char* kModuleAddress = "127.0.0.1";
constexpr int kDemoPollPeriodMs = 100;
constexpr double kDemoPollDurationS = 3.0;
constexpr std::int32_t kDemoTarget = 2000;
constexpr int kDemoStepPeriodMs = 20;
constexpr double kDemoStepDurationS = 5.0;
constexpr const char* kDemoChart = "demo-step.svg";

bool Assign(const char* name, const char* text, std::vector<Assignment>& out) {
    const auto index = FindRegister(name);
    if (!index) return false;
    ParsedValue parsed = ParseValue(*index, text);
    if (!parsed.value) return false;
    out.push_back({*index, *parsed.value, text});
    return true;
}

}  // namespace

int CommandDemo(const Arguments& args, const Reporter& report) {
    if (!args.operands.empty()) return report.Usage("usage: kravent demo");
    sim::ModuleSettings settings;
    settings.bindAddress = kModuleAddress;
    settings.tcpPort = sim::kDefaultTcpPort;
    settings.udpPort = sim::kDefaultUdpPort;
    sim::ModuleSimulator module(settings);
    if (!module.Start()) {
        std::fprintf(stderr,
                     "kravent demo: cannot start the simulated module on %s, TCP port %u and UDP port %u: %s\n"
                     "kravent demo: another program (a running kravent-sim?) probably holds these ports; stop it and "
                     "run the demo again\n",
                     kModuleAddress, unsigned{sim::kDefaultTcpPort}, unsigned{sim::kDefaultUdpPort},
                     module.LastError().c_str());
        return kExitFailure;
    }
    report.Note("== a simulated module listens on 127.0.0.1 (TCP 8010, UDP 7010)");

    Session session;
    if (const int status = OpenSession(session, kModuleAddress, report)) return status;
    report.Note("== connected; every readable register (Vorn_KRAVENT_Read_AllRegister):");
    std::vector<std::size_t> readable(kReadList.begin(), kReadList.end());
    if (const int status = ReadAndShow(session, readable, true, report)) return status;

    const std::string chart = std::filesystem::absolute(kDemoChart).string();
    report.Note("== a step to 2000 counts in position mode, POSITION, DESIRED and SPEED every 20 ms for 5 s");
    report.Note("   (kravent step 127.0.0.1 --target 2000 --plot demo-step.svg):");
    if (const int status = StepAndPlot(session, kDemoTarget, kDemoStepPeriodMs, kDemoStepDurationS, {chart, std::nullopt}, report))
        return status;

    report.Note("== back to 0 (INPUT=0), POSITION and SPEED every 100 ms for 3 s while the motor moves:");
    std::vector<Assignment> back;
    if (!Assign("INPUT", "0", back)) return kExitFailure;
    if (const int status = WriteAndConfirm(session, back, report)) return status;
    std::vector<std::size_t> polled;
    std::string error;
    if (!ResolveRegisters({"POSITION", "SPEED"}, RegisterUse::kPoll, polled, error)) return kExitFailure;
    if (const int status = PollAndShow(session, polled, kDemoPollPeriodMs, kDemoPollDurationS, report)) return status;

    session.Close();
    module.Stop();
    report.Note("== connection closed, simulated module stopped; the step's chart is " + chart);
    return 0;
}

}  // namespace kravent::cli
