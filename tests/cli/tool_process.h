// Runs the kravent program as a child process and collects what it prints.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace kravent::testsupport {

struct ToolRun {
    int status = -1;  // exit status; 128 + signal when killed; -1 when it could not start
    std::string out;
    std::string err;
};

struct RunOptions {
    std::chrono::seconds limit{60};        // killed when it runs longer
    std::vector<std::string> environment;  // NAME=VALUE entries added for the program
    std::string signalOn;                  // once stdout or stderr holds this text...
    int signal = 0;                        // ...this signal is sent, once
};

// The program at `path` with `args`.
ToolRun RunCaptured(const std::string& path, const std::vector<std::string>& args, const RunOptions& options = {});
// kravent with `args`.
inline ToolRun RunTool(const std::vector<std::string>& args, const RunOptions& options = {}) {
    return RunCaptured(KRAVENT_TOOL_PATH, args, options);
}

// The lines of `text`, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace kravent::testsupport
