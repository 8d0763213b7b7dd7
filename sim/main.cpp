// kravent-sim: plays one or more KRAVENT modules until SIGINT or SIGTERM (Ctrl-C).
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "hostos/hostos.h"
#include "sim/control_mode.h"
#include "sim/module_simulator.h"
#include "sim/register_text.h"

using kravent::sim::ModuleSettings;
using kravent::sim::ModuleSimulator;

namespace {

constexpr std::string_view kUsage = R"(Usage: kravent-sim [options]
Plays KRAVENT modules on TCP port 8010 and UDP port 7010 of every local address
until SIGINT or SIGTERM, then stops cleanly (exit status 0).

Program options:
  --help                   this text
  --version                the library's version text (--version H.L sets VERSION)
  --trace                  print every frame received and sent, one line each: time,
                           module, direction, peer and the registers with their values
  --config FILE            read module options from FILE (name=value lines, '#' comments;
                           register names set registers, e.g. KP=1.5); later options win
  --modules N              play N modules (default 1). Module k (from 0) takes the bind
                           address plus k; without --bind, 127.0.0.1 plus k, so that one
                           scan of this host finds them all on the usual ports; its MAC
                           address ends in the MAC's last byte plus k
  --ready-fd N             write "ready\n" to file descriptor N once every module listens
                           (a line "ready" is always printed on standard output as well)
  --control                take commands on standard input instead: "start ADDRESS N",
                           "stop", "frames" (the arrival times of TCP frames, in ns)
)";

struct ProgramOptions {
    ModuleSettings module;
    int modules = 1;
    int readyFd = -1;
    bool trace = false;
    bool control = false;
};

bool IsProgramOption(std::string_view name) {
    return name == "config" || name == "modules" || name == "ready-fd" || name == "trace" || name == "control";
}

// Parses argv; returns an exit status when the program should end at once.
std::optional<int> Parse(int argc, char** argv, ProgramOptions& out) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage.data(), stdout);
            std::fputs(kravent::sim::ModuleOptionsHelp().data(), stdout);
            return 0;
        }
        // "--version H.L" sets the VERSION register; alone, it asks for the library's version.
        if (arg == "--version" && (i + 1 == argc || std::string_view(argv[i + 1]).starts_with("--"))) {
            char text[256];
            std::int32_t length = sizeof text;
            Vorn_KRAVENT_VersionDLL(text, &length);
            std::printf("%.*s\n", static_cast<int>(length), text);
            return 0;
        }
        if (arg.substr(0, 2) != "--") {
            std::fprintf(stderr, "kravent-sim: unexpected argument %s (see --help)\n", argv[i]);
            return 2;
        }
        std::string_view name = arg.substr(2);
        std::string_view value;
        const std::size_t eq = name.find('=');
        if (eq != std::string_view::npos) name = name.substr(0, eq);
        if (!IsProgramOption(name) && !kravent::sim::IsModuleOption(name)) {
            const bool isRegister = !name.empty() && name[0] >= 'A' && name[0] <= 'Z';
            std::fprintf(stderr, "kravent-sim: unknown %s (see --help)\n",
                         (isRegister ? "register " + std::string(name) : "option --" + std::string(name)).c_str());
            return 2;
        }
        if (eq != std::string_view::npos) {
            value = arg.substr(2 + eq + 1);
        } else if (name == "trace" || name == "control") {
            (name == "trace" ? out.trace : out.control) = true;
            continue;
        } else if (!kravent::sim::IsModuleFlag(name)) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "kravent-sim: --%s needs a value\n", std::string(name).c_str());
                return 2;
            }
            value = argv[++i];
        }
        std::string problem;
        if (name == "config") {
            problem = kravent::sim::LoadConfigFile(out.module, std::string(value));
        } else if (name == "modules" || name == "ready-fd") {
            const auto n = kravent::sim::ParseInteger(value, name == "modules" ? 1 : 0, name == "modules" ? 64 : 1024);
            if (!n) problem = "--" + std::string(name) + " expects a number";
            else (name == "modules" ? out.modules : out.readyFd) = static_cast<int>(*n);
        } else {
            problem = kravent::sim::ApplyModuleOption(out.module, name, value);
        }
        if (!problem.empty()) {
            std::fprintf(stderr, "kravent-sim: %s\n", problem.c_str());
            return 2;
        }
    }
    return std::nullopt;
}

// The settings of module k of a run of `count` modules.
ModuleSettings Nth(const ModuleSettings& base, int k, int count) {
    ModuleSettings s = base;
    // Several modules on one wildcard address would need ports of their own, which no
    // scan reaches: each takes a loopback address instead.
    if (count > 1 && kravent::sim::IsAnyAddress(s.bindAddress)) s.bindAddress = "127.0.0.1";
    if (k == 0) return s;
    const auto step = static_cast<std::uint8_t>(k);
    auto quad = kravent::sim::ParseDottedQuad(s.bindAddress);  // checked when the option was taken
    (*quad)[3] = static_cast<std::uint8_t>((*quad)[3] + step);
    s.bindAddress = kravent::sim::FormatDottedQuad(quad->data());
    // A configured IPADDRESS would repeat the first module's: the bind address wins.
    std::erase_if(s.registers, [](const auto& r) { return kravent::kRegisters[r.first].name == "IPADDRESS"; });
    kravent::sim::RegisterStore store;  // the MAC that the settings give
    for (const auto& [index, value] : s.registers) store.SetRaw(kravent::kRegisters[index].name, value);
    kravent::sim::WireValue mac = store.GetRaw("ETHERNETMAC");
    mac[5] = static_cast<std::uint8_t>(mac[5] + step);
    s.registers.emplace_back(static_cast<std::size_t>(kravent::RegisterIndex("ETHERNETMAC")), mac);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    if (const auto exitStatus = Parse(argc, argv, options)) return *exitStatus;
    if (options.control) return kravent::sim::RunControlMode();

    kravent::hostos::CatchStopRequests();

    kravent::sim::FrameTrace trace(stdout);
    std::vector<std::unique_ptr<ModuleSimulator>> modules;
    for (int k = 0; k < options.modules; ++k) {
        auto& module = modules.emplace_back(std::make_unique<ModuleSimulator>(Nth(options.module, k, options.modules)));
        if (options.trace) module->SetTrace(&trace, k);
        if (!module->Start()) {
            std::fprintf(stderr, "kravent-sim: module %d: %s\n", k, module->LastError().c_str());
            return 1;
        }
        std::fprintf(stderr, "kravent-sim: module %d on %s, TCP port %u, UDP port %u\n", k,
                     module->BindAddress().c_str(), module->TcpPort(), module->UdpPort());
    }
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    if (options.readyFd >= 0) kravent::hostos::WriteReadyLine(options.readyFd);

    kravent::hostos::WaitForStopRequest();
    for (auto& module : modules) module->Stop();
    return 0;
}
