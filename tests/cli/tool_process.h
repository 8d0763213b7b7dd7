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

// The program at `path` with `args`; killed when it runs longer than `limit`.
ToolRun RunCaptured(const std::string& path, const std::vector<std::string>& args,
                    std::chrono::seconds limit = std::chrono::seconds(60));
// kravent with `args`.
inline ToolRun RunTool(const std::vector<std::string>& args, std::chrono::seconds limit = std::chrono::seconds(60)) {
    return RunCaptured(KRAVENT_TOOL_PATH, args, limit);
}

// The lines of `text`, without their line ends.
std::vector<std::string> Lines(const std::string& text);

}  // namespace kravent::testsupport
