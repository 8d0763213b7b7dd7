#include "cli/arguments.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <cmath>
#include <string_view>

#include "cli/gain_design.h"
#include "cli/register_catalogue.h"
#include "cli/value_format.h"

namespace kravent::cli {

namespace {

std::optional<double> ParseSeconds(std::string_view text) {
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

ParsedArguments ParseArguments(int argc, const char* const* argv) {
    Arguments out;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        std::string_view name = arg;
        std::optional<std::string_view> inlineValue;
        if (arg.starts_with("--")) {
            if (const std::size_t eq = arg.find('='); eq != std::string_view::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
            }
        }
        const auto value = [&]() -> std::optional<std::string_view> {
            if (inlineValue) return inlineValue;
            if (i + 1 < argc) return std::string_view(argv[++i]);
            return std::nullopt;
        };
        if (name == "--json") {
            out.json = true;
        } else if (name == "--help" || name == "-h") {
            out.help = true;
        } else if (name == "--version") {
            out.version = true;
        } else if (name == "--verbose" || name == "-v") {
            out.verbose = true;
        } else if (name == "--period") {
            const auto text = value();
            const auto ms = text ? ParseInt32(*text) : std::nullopt;
            if (!ms || *ms <= 0) return {std::nullopt, "--period expects a number of milliseconds above 0"};
            out.periodMs = *ms;
        } else if (name == "--duration") {
            const auto text = value();
            const auto s = text ? ParseSeconds(*text) : std::nullopt;
            if (!s || *s <= 0 || *s > 86400) return {std::nullopt, "--duration expects a number of seconds above 0"};
            out.durationS = *s;
        } else if (name == "--target") {
            const auto text = value();
            const auto counts = text ? ParseInt32(*text) : std::nullopt;
            if (!counts) return {std::nullopt, "--target expects a position in counts"};
            out.targetCounts = *counts;
        } else if (name == "--reconnect") {
            out.reconnect = true;
        } else if (name == "--plot") {
            const auto text = value();
            if (!text || text->empty()) return {std::nullopt, "--plot expects a file name (FILE.svg)"};
            out.plotPath = std::string(*text);
        } else if (name == "--mode") {
            const auto text = value();
            if (!text || (*text != "position" && *text != "speed")) return {std::nullopt, "--mode expects position or speed"};
            out.tuningMode = std::string(*text);
        } else if (name == "--excursion") {
            const auto text = value();
            const auto counts = text ? ParseInt32(*text) : std::nullopt;
            if (!counts || *counts < kLeastAutotuneExcursion) return {std::nullopt, "--excursion expects a number of counts of 20 or more"};
            out.excursionCounts = *counts;
        } else if (name == "--rule") {
            const auto text = value();
            if (!text || text->empty()) return {std::nullopt, "--rule expects a rule name (no-overshoot or fast)"};
            out.tuningRule = std::string(*text);
        } else if (name == "--apply") {
            out.apply = true;
        } else if (name == "--save") {
            out.save = true;
        } else if (name == "--csv") {
            const auto text = value();
            if (!text || text->empty()) return {std::nullopt, "--csv expects a file name (FILE.csv)"};
            out.csvPath = std::string(*text);
        } else if (name == "--listen") {
            const auto text = value();
            if (!text || text->empty()) return {std::nullopt, "--listen expects ADDRESS:PORT"};
            out.listen = std::string(*text);
        } else if (arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9')) {
            return {std::nullopt, "unknown option " + std::string(arg) + " (see kravent --help)"};
        } else if (out.command.empty()) {
            out.command = arg;
        } else {
            out.operands.emplace_back(arg);
        }
    }
    return {out, {}};
}

void UseDefaultModule(Arguments& args, const char* module) {
    static constexpr std::string_view kOnOneModule[] = {"info", "read", "dump", "write", "run", "poll", "step"};
    if (module == nullptr || *module == '\0') return;
    if (std::find(std::begin(kOnOneModule), std::end(kOnOneModule), args.command) == std::end(kOnOneModule)) return;
    // Register names and commands never start with a digit; an address always does.
    const bool addressGiven = !args.operands.empty() && !args.operands[0].empty() &&
                              args.operands[0][0] >= '0' && args.operands[0][0] <= '9';
    if (!addressGiven) args.operands.insert(args.operands.begin(), module);
}

std::string UsageText() {
    std::string text = R"(Usage: kravent [--json] [--verbose] COMMAND [ARGUMENTS]
Drives KRAVENT modules through the Vorn-KRAVENT_DLLInterface library.

Commands:
  scan                              list the modules on the network (UDP broadcast)
  info IP                           identity, supply voltage, warnings and network settings
  read IP REGISTER...               read registers once
  dump IP                           read every readable register
  write IP REGISTER=VALUE...        write registers in one request
  run IP COMMAND                    run a module command (see below)
  poll IP REGISTER... [--period MS] [--duration S] [--plot FILE.svg] [--reconnect]
                                    poll pollable registers (default 100 ms for 10 s); a
                                    live table on a terminal, else CSV or JSON lines;
                                    --plot also draws them over time; --reconnect reopens
                                    a lost link and goes on, marking the gap
  step IP --target COUNTS [--duration S] [--period MS] --plot FILE.svg [--csv FILE.csv]
                                    position mode, move to COUNTS, record POSITION, SPEED
                                    and DESIRED (default every 20 ms for 5 s), draw them
                                    (--plot), write the samples (--csv; --plot may then
                                    be left out) and print rise time, overshoot,
                                    settling time and final error
  tune IP [--listen ADDR:PORT] [--period MS]
                                    the tuning page in a browser: live chart, gains and
                                    profile, step experiments, gain sets; prints its URL
                                    (default 127.0.0.1 on a free port, polling every
                                    10 ms); another address than loopback needs the
                                    token that the URL carries
  autotune IP [--mode position|speed] [--excursion COUNTS] [--rule NAME] [--apply]
              [--save] [--plot FILE.svg]
                                    find gains by experiment: small steps within COUNTS
                                    (default 200) of where the motor stands identify it,
                                    gains are designed by the rule (no-overshoot, the
                                    default, or fast) and checked with a step beside the
                                    gains found; --apply writes them, --save also saves them
  set-ip MAC IP MASK                give the module with that MAC a new address (about 5 s)
  demo                              start a simulated module on 127.0.0.1 (ports 8010 and
                                    7010) and show the tool against it; writes its step
                                    response to demo-step.svg in the current directory
  help [registers]                  this text, or the register list alone

Options:
  --json                            machine-readable output (JSON; JSON lines for poll)
  --verbose, -v                     with a failure, also the library's logged causes and
                                    its last error text
  --period MS, --duration S         for poll and step (--period also for tune)
  --target COUNTS, --plot FILE.svg  for step (--plot also for poll and autotune)
  --csv FILE.csv                    for step
  --listen ADDR:PORT                for tune
  --mode, --excursion, --rule, --apply, --save   for autotune
  --help                            this text
  --version                         the library's version text

IP may be left out when the environment variable KRAVENT_MODULE holds the address
(export KRAVENT_MODULE=10.0.0.5; kravent read VOLTAGE).

Failures print what went wrong and what to try on stderr (with --verbose also the causes
that the library logged and its last error text); the exit status is then 1 (2 for a
wrong command line, 130 when SIGINT or SIGTERM ended the command).

)";
    // The list, broken into lines that fit a terminal.
    std::string line = "Commands of `run`:";
    std::string_view rest = kRunCommands;
    while (!rest.empty()) {
        const std::size_t end = rest.find(", ");
        const std::string_view item = rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
        if (line.size() + 1 + item.size() > 88) {
            text += line + "\n";
            line = " ";
        }
        line += " ";
        line += item;
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
    }
    text += line + "\n\n";
    text += RegistersHelp();
    return text;
}

}  // namespace kravent::cli
