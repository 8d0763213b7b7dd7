// How one simulated module is set up: identity and initial registers, where it
// listens, the faults it shows. Filled from options or a configuration file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/dc_motor.h"
#include "sim/faults.h"
#include "sim/register_store.h"

namespace kravent::sim {

inline constexpr std::uint16_t kDefaultTcpPort = 8010;
inline constexpr std::uint16_t kDefaultUdpPort = 7010;

struct ModuleSettings {
    std::string bindAddress = "0.0.0.0";  // a specific address also becomes IPADDRESS
    std::uint16_t tcpPort = kDefaultTcpPort;  // 0: any free port
    std::uint16_t udpPort = kDefaultUdpPort;
    std::vector<std::pair<std::size_t, WireValue>> registers;  // index into kRegisters, value; applied in order
    std::string manageInterface;  // moves this interface's address on an address change
    bool manualClock = false;     // the motor moves only when the clock is advanced
    float supplyVoltage = 24.0f;
    MotorParameters motor;
    FaultSettings faults;

    // Sets register `name` from text (register_text.h); false for an unknown name or a bad value.
    bool SetRegister(std::string_view name, std::string_view text);
};

// Applies one module option, named without its leading "--" (for example "tcp-port",
// "8011"); flags take an empty value or 1/0. An upper-case name sets that register.
// Returns an empty string, or what is wrong.
std::string ApplyModuleOption(ModuleSettings& settings, std::string_view name, std::string_view value);
// Whether `name` is a module option or a register name.
bool IsModuleOption(std::string_view name);
// Whether the module option takes no value.
bool IsModuleFlag(std::string_view name);
// The text that lists the module options, for --help.
std::string_view ModuleOptionsHelp();

// Reads a configuration file of "name=value" lines (module options without "--"
// or register names; '#' starts a comment). Returns an empty string, or what is wrong.
std::string LoadConfigFile(ModuleSettings& settings, const std::string& path);

}  // namespace kravent::sim
