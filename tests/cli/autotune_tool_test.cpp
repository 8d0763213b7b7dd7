// kravent autotune against kravent-sim's physical motor, each case in a private
// namespace of its own: from the module's default gains, the gains it applies must
// give a 1000-count step that settles within 2 % in at most 1 s with at most 10 %
// overshoot, after an experiment of at most 20 s; one that ends early puts back what
// it found.
#include <gtest/gtest.h>

#include <signal.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "tests/cli/tool_process.h"
#include "tests/support/raw_clients.h"
#include "tests/support/sim_process.h"

namespace kravent::testsupport {
namespace {

// The number after "key": in a JSON line; NaN when absent or null.
double Number(const std::string& json, const std::string& key) {
    std::smatch m;
    if (!std::regex_search(json, m, std::regex("\"" + key + "\":(-?[0-9.eE+-]+)"))) return std::nan("");
    return std::stod(m[1]);
}

std::vector<std::string> QuickSim(const std::vector<std::string>& motor) {
    std::vector<std::string> argv = {SimulatorPath(), "--bind", "127.0.0.1", "--set", "ACCELERATION=100000000",
                                     "--set", "DECELERATION=100000000", "--set", "TOPSPEED=10000000"};
    argv.insert(argv.end(), motor.begin(), motor.end());
    return argv;
}

void TunesAndSettles(const std::vector<std::string>& motor, bool save = false) {
    ASSERT_TRUE(InPrivateNetns()) << "runs only in a namespace of its own";
    SimProcess sim(QuickSim(motor));
    ASSERT_TRUE(sim.Ready());
    std::vector<std::string> args = {"autotune", "127.0.0.1", "--apply", "--json"};
    if (save) args.push_back("--save");
    const ToolRun tune = RunTool(args);
    ASSERT_EQ(tune.status, 0) << tune.err << tune.out;
    EXPECT_LE(Number(tune.out, "experiment_s"), 20.0) << tune.out;
    EXPECT_NE(tune.out.find("\"applied\":true"), std::string::npos) << tune.out;
    std::printf("%s", tune.out.c_str());

    const std::string chart = ::testing::TempDir() + "kravent-autotune-" + std::to_string(getpid()) + ".svg";
    const ToolRun step = RunTool({"step", "127.0.0.1", "--target", "1000", "--duration", "1.5", "--period", "5", "--plot",
                                  chart, "--json"});
    ASSERT_EQ(step.status, 0) << step.err;
    std::printf("%s", step.out.c_str());
    EXPECT_LE(Number(step.out, "settling_s"), 1.0) << step.out;  // NaN (never settled) fails too
    EXPECT_LE(Number(step.out, "overshoot_percent"), 10.0) << step.out;
    std::remove(chart.c_str());
    if (!save) return;
    // The saved gains are what the module's parameters come back to.
    EXPECT_NE(tune.out.find("\"saved\":true"), std::string::npos) << tune.out;
    ASSERT_EQ(RunTool({"write", "127.0.0.1", "KP=1"}).status, 0);
    ASSERT_EQ(RunTool({"run", "127.0.0.1", "RESTOREUSERPARAMETERS"}).status, 0);
    const ToolRun read = RunTool({"read", "127.0.0.1", "KP", "--json"});
    EXPECT_NEAR(Number(read.out, "KP"), Number(tune.out.substr(tune.out.find("\"proposed\"")), "KP"), 1e-4) << read.out;
}

TEST(CliAutotune, DefaultMotor) { TunesAndSettles({}, true); }
TEST(CliAutotune, TenTimesTheInertia) { TunesAndSettles({"--motor-inertia", "8e-5"}); }
TEST(CliAutotune, MuchMoreFriction) {
    TunesAndSettles({"--motor-coulomb-friction", "2e-3", "--motor-viscous-friction", "1e-5"});
}

// What the module holds of what the experiment changes, as JSON.
std::string Settings() {
    const ToolRun read = RunTool({"read", "127.0.0.1", "KP", "KI", "KD", "REGULATIONMODE", "ACCELERATION", "--json"});
    EXPECT_EQ(read.status, 0) << read.err;
    return read.out;
}

// Ctrl-C, an over-current warning and a connection that the module closes each end the
// experiment early, and each time the settings found are back.
TEST(CliAutotune, InterruptedExperimentPutsBackWhatItFound) {
    ASSERT_TRUE(InPrivateNetns()) << "runs only in a namespace of its own";
    SimProcess sim(QuickSim({"--set", "KP=2.25", "--set", "REGULATIONMODE=1", "--set", "INPUT=0"}));
    ASSERT_TRUE(sim.Ready());
    RunOptions options;
    options.signalOn = "autotune: probing";
    options.signal = SIGINT;
    const ToolRun tune = RunTool({"autotune", "127.0.0.1", "--apply"}, options);
    EXPECT_EQ(tune.status, 130) << tune.err << tune.out;
    EXPECT_NE(tune.err.find("the settings found are back"), std::string::npos) << tune.err;
    EXPECT_NE(Settings().find(R"("KP":2.25,"KI":0.099990845,"KD":0.049987793,"REGULATIONMODE":1,"ACCELERATION":100000000)"),
              std::string::npos);
}

TEST(CliAutotune, OverCurrentEndsTheExperiment) {
    ASSERT_TRUE(InPrivateNetns()) << "runs only in a namespace of its own";
    SimProcess sim(QuickSim({"--set", "CURRENTMAX=0.02"}));
    ASSERT_TRUE(sim.Ready());
    const ToolRun tune = RunTool({"autotune", "127.0.0.1", "--apply"});
    EXPECT_EQ(tune.status, 1) << tune.out;
    EXPECT_NE(tune.err.find("autotune stopped: over-current warning; the settings found are back"), std::string::npos)
        << tune.err;
    EXPECT_NE(Settings().find(R"("KP":1.5,"KI":0.099990845,"KD":0.049987793,"REGULATIONMODE":0,)"), std::string::npos);
}

TEST(CliAutotune, LostConnectionEndsTheExperimentAndANewOnePutsBack) {
    ASSERT_TRUE(InPrivateNetns()) << "runs only in a namespace of its own";
    SimProcess sim(QuickSim({"--close-after", "40"}));
    ASSERT_TRUE(sim.Ready());
    const ToolRun tune = RunTool({"autotune", "127.0.0.1", "--apply"});
    EXPECT_EQ(tune.status, 1) << tune.out;
    EXPECT_NE(tune.err.find("closed the connection"), std::string::npos) << tune.err;
    EXPECT_NE(tune.err.find("the settings found are back"), std::string::npos) << tune.err;
    EXPECT_NE(Settings().find(R"("KP":1.5,"KI":0.099990845,"KD":0.049987793,"REGULATIONMODE":0,)"), std::string::npos);
}

}  // namespace
}  // namespace kravent::testsupport
