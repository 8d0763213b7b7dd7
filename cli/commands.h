// The subcommands of kravent, and the steps that `demo` strings together. Each
// returns the process exit status (0, kExitFailure or kExitUsage).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/operands.h"
#include "cli/report.h"
#include "cli/session.h"

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

inline constexpr int kDefaultPollPeriodMs = 100;
inline constexpr double kDefaultPollDurationS = 10.0;

// Steps over an open session.
int OpenSession(Session& session, const std::string& ipText, const Reporter& report);
// Reads the registers (`all`: every readable one through Vorn_KRAVENT_Read_AllRegister).
int ReadAndShow(Session& session, const std::vector<std::size_t>& indices, bool all, const Reporter& report);
int WriteAndConfirm(Session& session, const std::vector<Assignment>& assignments, const Reporter& report);
int PollAndShow(Session& session, const std::vector<std::size_t>& indices, int periodMs, double durationS,
                const Reporter& report);

}  // namespace kravent::cli
