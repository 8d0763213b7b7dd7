// The command line: a subcommand, its positional arguments and the common options,
// which may stand anywhere after the program name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kravent::cli {

struct Arguments {
    std::string command;                // empty: none given
    std::vector<std::string> operands;  // what follows the command, options removed
    bool json = false;
    bool help = false;
    bool version = false;
    bool verbose = false;               // failures also show the library's own messages
    std::optional<int> periodMs;        // poll and step period
    std::optional<double> durationS;    // poll and step duration
    std::optional<std::int32_t> targetCounts;  // step target
    std::optional<std::string> plotPath;       // SVG chart of poll, step or autotune
    std::optional<std::string> tuningMode;     // autotune: position or speed
    std::optional<std::int32_t> excursionCounts;
    std::optional<std::string> tuningRule;
    bool apply = false;  // autotune writes its gains
    bool save = false;   // and saves them in the module
    bool reconnect = false;                    // poll: reopen a lost link and go on
    std::optional<std::string> csvPath;        // samples of step
    std::optional<std::string> listen;         // ADDRESS:PORT of tune's page
};

struct ParsedArguments {
    std::optional<Arguments> arguments;
    std::string error;
};

ParsedArguments ParseArguments(int argc, const char* const* argv);

// The commands that talk to one module take its address first; when it is left out (the
// first operand is not an address) and `module` (KRAVENT_MODULE) names one, it goes first.
void UseDefaultModule(Arguments& args, const char* module);

// The --help text (usage, subcommands, options, registers, commands).
std::string UsageText();

}  // namespace kravent::cli
