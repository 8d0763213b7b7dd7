// The subcommands of kravent, and the steps that `demo` strings together. Each
// returns the process exit status (0, kExitFailure or kExitUsage).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/arguments.h"
#include "cli/operands.h"
#include "cli/report.h"
#include "cli/session.h"
#include "cli/svg_chart.h"

namespace kravent::cli {

int CommandScan(const Arguments& args, const Reporter& report);
int CommandInfo(const Arguments& args, const Reporter& report);
int CommandRead(const Arguments& args, const Reporter& report);
int CommandDump(const Arguments& args, const Reporter& report);
int CommandWrite(const Arguments& args, const Reporter& report);
int CommandRun(const Arguments& args, const Reporter& report);
int CommandPoll(const Arguments& args, const Reporter& report);
int CommandSetIp(const Arguments& args, const Reporter& report);
int CommandDemo(const Arguments& args, const Reporter& report);
int CommandStep(const Arguments& args, const Reporter& report);
int CommandAutotune(const Arguments& args, const Reporter& report);
int CommandTune(const Arguments& args, const Reporter& report);

inline constexpr int kDefaultPollPeriodMs = 100;
inline constexpr double kDefaultPollDurationS = 10.0;

// Steps over an open session.
int OpenSession(Session& session, const std::string& ipText, const Reporter& report);
// Reads the registers (`all`: every readable one through Vorn_KRAVENT_Read_AllRegister).
int ReadAndShow(Session& session, const std::vector<std::size_t>& indices, bool all, const Reporter& report);
int WriteAndConfirm(Session& session, const std::vector<Assignment>& assignments, const Reporter& report);
// What a poll keeps for a chart: the time of each answer after `origin` and the value of
// each polled register (answers that lack one are left out).
struct PollRecording {
    std::chrono::steady_clock::time_point origin;
    bool quiet = false;  // no line per answer, no summary
    std::vector<double> seconds;
    std::vector<std::vector<double>> values;  // one list per polled register
    std::vector<std::pair<double, double>> gaps;  // seconds after `origin` the link was down (--reconnect)
};
// With `reconnect`, a lost link is reopened (after 100 ms, then twice as long each time up
// to 5 s) and the poll goes on; the output marks the gap.
int PollAndShow(Session& session, const std::vector<std::size_t>& indices, int periodMs, double durationS,
                const Reporter& report, PollRecording* recording = nullptr, bool reconnect = false);
// The chart of a recording: one line per polled register, in its unit.
Chart PollChart(const std::vector<std::size_t>& indices, const PollRecording& recording);
// Where a step's results go besides standard output: its chart, its samples as CSV.
struct StepOutputs {
    std::optional<std::string> plotPath;
    std::optional<std::string> csvPath;
};
// Puts the module in position mode, moves it to `target` and records it for `durationS`;
// writes the chart and the samples and prints the step's figures.
int StepAndPlot(Session& session, std::int32_t target, int periodMs, double durationS, const StepOutputs& outputs,
                const Reporter& report);

}  // namespace kravent::cli
