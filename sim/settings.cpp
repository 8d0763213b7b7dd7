#include "sim/settings.h"

#include <fstream>
#include <optional>

#include "protocol/frame.h"
#include "sim/motor_options.h"
#include "sim/register_text.h"

namespace kravent::sim {

bool ModuleSettings::SetRegister(std::string_view name, std::string_view text) {
    const int index = RegisterIndex(name);
    if (index == kNoIndex) return false;
    const auto value = ParseRegisterValue(kRegisters[static_cast<std::size_t>(index)], text);
    if (!value) return false;
    registers.emplace_back(static_cast<std::size_t>(index), *value);
    return true;
}

namespace {

std::string Unsigned(std::string_view value, std::uint32_t max, std::uint32_t& out) {
    const auto v = ParseInteger(value, 0, max);
    if (!v) return "expects a number from 0 to " + std::to_string(max);
    out = static_cast<std::uint32_t>(*v);
    return {};
}

std::string Port(std::string_view value, std::uint16_t& out) {
    std::uint32_t number = 0;
    std::string problem = Unsigned(value, 65535, number);
    out = static_cast<std::uint16_t>(number);
    return problem;
}

std::string Flag(std::string_view value, bool& out) {
    if (value.empty() || value == "1" || value == "true" || value == "yes") out = true;
    else if (value == "0" || value == "false" || value == "no") out = false;
    else return "expects no value, 1 or 0";
    return {};
}

// How a register's value is written, for the message that refuses one.
std::string_view FormOf(Encoding encoding) {
    switch (encoding) {
    case Encoding::Fixed16_16: return "a decimal number";
    case Encoding::TwoHalves: return "HIGH.LOW";
    case Encoding::ByteList4: return "a dotted quad A.B.C.D";
    case Encoding::ByteList6: return "six hex bytes XX:XX:XX:XX:XX:XX";
    case Encoding::Text16: return "up to 16 characters";
    case Encoding::None: return "nothing: it is a command";
    default: return "an integer, decimal or 0x hex";
    }
}

// Register messages carry no "--": the same words serve options and configuration lines.
std::string Register(ModuleSettings& s, std::string_view name, std::string_view value) {
    const int index = RegisterIndex(name);
    if (index == kNoIndex) return "unknown register " + std::string(name);
    if (s.SetRegister(name, value)) return {};
    return std::string(name) + "=" + std::string(value) + " is not a valid value of " + std::string(name) +
           " (expects " + std::string(FormOf(kRegisters[static_cast<std::size_t>(index)].encoding)) + ")";
}

bool IsRegisterMessage(const std::string& problem) {
    return problem.starts_with("unknown register ") || problem.find(" is not a valid value of ") != std::string::npos;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// A module option: what it sets from its value; an empty string, or what is wrong.
struct ModuleOption {
    std::string_view name;
    std::string (*apply)(ModuleSettings& s, std::string_view value);
    bool flag = false;  // takes no value
};

// Named after the register each one sets.
struct RegisterAlias {
    std::string_view option;
    std::string_view reg;
};
constexpr RegisterAlias kRegisterAliases[] = {{"type", "TYPE"}, {"version", "VERSION"}, {"mac", "ETHERNETMAC"},
                                              {"name", "MODULENAME"}, {"ip", "IPADDRESS"}, {"mask", "SUBNETMASK"}};

// Short parameter types keep the table's rows short.
using S = ModuleSettings&;
using V = std::string_view;
constexpr ModuleOption kOptions[] = {
    {"set", [](S s, V v) -> std::string {
         const std::size_t eq = v.find('=');
         if (eq == std::string_view::npos) return "expects REG=VALUE";
         return Register(s, v.substr(0, eq), v.substr(eq + 1));
     }},
    {"bind", [](S s, V v) -> std::string {
         if (!ParseDottedQuad(v)) return "expects a dotted IPv4 address";
         s.bindAddress = std::string(v);
         return {};
     }},
    {"tcp-port", [](S s, V v) { return Port(v, s.tcpPort); }},
    {"udp-port", [](S s, V v) { return Port(v, s.udpPort); }},
    {"manage-interface", [](S s, V v) -> std::string {
         s.manageInterface = std::string(v);
         return v.empty() ? "expects an interface name" : "";
     }},
    {"manual-clock", [](S s, V v) { return Flag(v, s.manualClock); }, true},
    {"supply-voltage", [](S s, V v) -> std::string {
         const auto volts = text::ParseValue(static_cast<std::size_t>(RegisterIndex("VOLTAGE")), v).value;
         if (!volts) return "expects a voltage";
         s.supplyVoltage = volts->Real();
         return {};
     }},
    {"delay-ms", [](S s, V v) { return Unsigned(v, 600000, s.faults.delayMs); }},
    {"silent", [](S s, V v) { return Flag(v, s.faults.silent); }, true},
    {"corrupt-next", [](S s, V v) { return Unsigned(v, UINT32_MAX, s.faults.corruptNext); }},
    {"split", [](S s, V v) { return Unsigned(v, 65535, s.faults.splitBytes); }},
    {"merge", [](S s, V v) { return Unsigned(v, 3, s.faults.mergeAnswers); }},
    {"close-after", [](S s, V v) { return Unsigned(v, UINT32_MAX, s.faults.closeAfterExchanges); }},
    {"unknown-register", [](S s, V v) { return Flag(v, s.faults.unknownRegister); }, true},
    {"answer-type", [](S s, V v) -> std::string {
         const auto type = text::ParseWireValue(static_cast<std::size_t>(RegisterIndex("TYPE")), v);
         if (!type) return "expects HIGH.LOW";
         s.faults.overrideType = true;
         s.faults.answerType = wire::GetU32(type->data());
         return {};
     }},
};

// What `name` sets: the register itself (upper case), a register alias, an option of
// the table or a motor option; an empty string, or what is wrong.
std::optional<std::string> Apply(ModuleSettings& s, std::string_view name, std::string_view value) {
    if (!name.empty() && name[0] >= 'A' && name[0] <= 'Z') return Register(s, name, value);
    for (const RegisterAlias& alias : kRegisterAliases)
        if (alias.option == name) return Register(s, alias.reg, value);
    for (const ModuleOption& option : kOptions)
        if (option.name == name) return option.apply(s, value);
    return ApplyMotorOption(s.motor, name, value);
}

}  // namespace

bool IsModuleFlag(std::string_view name) {
    for (const ModuleOption& option : kOptions)
        if (option.name == name) return option.flag;
    return false;
}

std::string ApplyModuleOption(ModuleSettings& s, std::string_view name, std::string_view value) {
    const std::optional<std::string> problem = Apply(s, name, value);
    if (!problem) return "unknown option --" + std::string(name);
    if (problem->empty() || IsRegisterMessage(*problem)) return *problem;
    return "--" + std::string(name) + " " + *problem;
}

bool IsModuleOption(std::string_view name) {
    ModuleSettings scratch;  // the option table itself knows its names
    return !ApplyModuleOption(scratch, name, "").starts_with("unknown ");
}

std::string_view ModuleOptionsHelp() {
    return R"(Module options (also usable as name=value lines in a --config file):
  --type H.L               TYPE register halves (default 2.2, the type the library serves)
  --version H.L            VERSION register halves (default 1.0)
  --mac XX:XX:XX:XX:XX:XX  ETHERNETMAC (default 02:4B:52:00:00:01)
  --name TEXT              MODULENAME, up to 16 characters (default KRAVENT-SIM)
  --ip A.B.C.D             IPADDRESS register (default: the bind address; without one, the
                           address each request reaches the module at)
  --mask A.B.C.D           SUBNETMASK register (default 255.0.0.0)
  --bind A.B.C.D           address to listen on (default 0.0.0.0, every local address)
  --tcp-port N             main port (default 8010; 0 picks a free port)
  --udp-port N             service port (default 7010; 0 picks a free port)
  --set REG=VALUE          initial value of any register, e.g. --set KP=2.5 --set POSITION=-40
                           (integers, 16.16 numbers, H.L, dotted quads, MAC, text as for the above)
  --supply-voltage V       supply seen by the motor model (default 24.0; below 18 V warns)
  --manual-clock           the motor model moves only when advanced through the class API
  --manage-interface IF    on an address change, really move IF's address with `ip`
                           (accepted only in a private test namespace, KRAVENT_IN_NETNS=1)
Motor (SI units; COMMAND 32767 drives OUPUTVOLTAGEMAX, CURRENTMAX bounds the current):
  --motor-resistance OHM   armature resistance (default 2.0)
  --motor-inductance H     armature inductance (default 0.0005)
  --motor-torque-constant K  torque per ampere in N*m/A, also the back-EMF in V*s/rad (default 0.03)
  --motor-inertia J        rotor and load inertia in kg*m^2 (default 8e-06)
  --motor-viscous-friction B  N*m per rad/s (default 2e-06)
  --motor-coulomb-friction T  N*m (default 0.0001)
  --encoder-counts N       encoder counts per revolution (default 2000)
  --motion physical|ideal  ideal: the motor follows the ACCELERATION, DECELERATION and
                           TOPSPEED profile exactly, whatever the gains (default physical)
Faults:
  --delay-ms N             delay every answer by N ms
  --silent                 never answer
  --corrupt-next N         corrupt the checksum of the next N answers
  --split N                write TCP answers in pieces of N bytes
  --merge N                hold TCP answers until N (2 or 3) go out in one send
  --close-after N          close a TCP connection after N answered requests
  --unknown-register       end every read answer with an item of unknown address 0x09
  --answer-type H.L        answer TYPE over UDP with these halves
)";
}

std::string LoadConfigFile(ModuleSettings& settings, const std::string& path) {
    std::ifstream in(path);
    if (!in) return "cannot read " + path;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (const std::size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        const std::size_t last = line.find_last_not_of(" \t\r");
        const std::string_view text = std::string_view(line).substr(first, last - first + 1);
        const std::size_t eq = text.find('=');
        const std::string_view name = Trim(text.substr(0, eq));
        const std::string_view value = eq == std::string_view::npos ? std::string_view{} : Trim(text.substr(eq + 1));
        if (eq == std::string_view::npos && !IsModuleFlag(name)) return path + ":" + std::to_string(number) + ": expects name=value";
        if (std::string problem = ApplyModuleOption(settings, name, value); !problem.empty())
            return path + ":" + std::to_string(number) + ": " + problem;
    }
    return {};
}

}  // namespace kravent::sim
