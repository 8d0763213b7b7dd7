// The command line: a subcommand, its positional arguments and the common options,
// which may stand anywhere after the program name.
#pragma once

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
    std::optional<int> periodMs;        // poll period
    std::optional<double> durationS;    // poll duration
};

struct ParsedArguments {
    std::optional<Arguments> arguments;
    std::string error;
};

ParsedArguments ParseArguments(int argc, const char* const* argv);

// The --help text (usage, subcommands, options, registers, commands).
std::string UsageText();

}  // namespace kravent::cli
