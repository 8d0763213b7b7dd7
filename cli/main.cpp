// kravent: the command-line tool over the library's exported functions.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/register_catalogue.h"
#include "cli/report.h"
#include "cli/stop_signals.h"
#include "hostos/hostos.h"

namespace {

using namespace kravent::cli;

struct Subcommand {
    std::string_view name;
    int (*run)(const Arguments&, const Reporter&);
};

constexpr Subcommand kSubcommands[] = {
    {"scan", CommandScan}, {"info", CommandInfo}, {"read", CommandRead},     {"dump", CommandDump},
    {"write", CommandWrite}, {"run", CommandRun}, {"poll", CommandPoll},     {"set-ip", CommandSetIp},
    {"step", CommandStep}, {"tune", CommandTune}, {"autotune", CommandAutotune}, {"demo", CommandDemo},
};

}  // namespace

int main(int argc, char** argv) {
    kravent::hostos::WatchStopRequests(DeliverStop);
    kravent::hostos::PrepareConsole();
    const ParsedArguments parsed = ParseArguments(argc, argv);
    if (!parsed.arguments) return Reporter(false).Usage(parsed.error);
    Arguments args = *parsed.arguments;
    UseDefaultModule(args, std::getenv("KRAVENT_MODULE"));
    const Reporter report(args.json, args.verbose);

    if (args.version) {
        std::printf("%s\n", LibraryVersion().c_str());
        return 0;
    }
    if (args.help || args.command == "help") {
        const bool registersOnly = !args.operands.empty() && args.operands[0] == "registers";
        std::fputs(registersOnly ? RegistersHelp().c_str() : UsageText().c_str(), stdout);
        return 0;
    }
    if (args.command.empty()) {
        std::fputs(UsageText().c_str(), stderr);
        return kExitUsage;
    }
    for (const Subcommand& sub : kSubcommands)
        if (sub.name == args.command) return sub.run(args, report);
    return report.Usage("unknown command " + args.command + " (see kravent --help)");
}
