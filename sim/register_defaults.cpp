// The registers of a fresh simulated module. Written as text in the forms of
// register_text.h, so that the table reads like a configuration file.
#include <stdexcept>
#include <string_view>

#include "sim/register_store.h"
#include "sim/register_text.h"

namespace kravent::sim {

namespace {

struct DefaultValue {
    std::string_view name;
    std::string_view text;
};

// Registers not listed start at zero. Lengths are in encoder counts, speeds in
// counts per second, accelerations in counts per second squared.
constexpr DefaultValue kDefaults[] = {
    {"TYPE", "2.2"},
    {"VERSION", "1.0"},
    {"VOLTAGE", "24.0"},
    {"ETHERNETMAC", "02:4B:52:00:00:01"},
    {"IPADDRESS", "127.0.0.1"},
    {"SUBNETMASK", "255.0.0.0"},
    {"TCPTIMEOUT", "30"},
    {"MODULENAME", "KRAVENT-SIM"},
    {"INPUTMIN", "-1000000"},
    {"INPUTMAX", "1000000"},
    {"CURRENTMAX", "2.0"},
    {"LOOPTIME", "1"},
    {"OUPUTVOLTAGEMAX", "24.0"},
    {"KP", "1.5"},
    {"KI", "0.1"},
    {"KD", "0.05"},
    {"ANTIRESETWINDUP", "10000"},
    {"ACCELERATION", "500"},
    {"DECELERATION", "500"},
    {"TOPSPEED", "1000"},
    {"DEADZONE", "0"},
    {"LIMIT1POSITION", "-100000"},
    {"LIMIT2POSITION", "100000"},
};

}  // namespace

void FillDefaultRegisters(std::array<WireValue, kRegisters.size()>& values) {
    values = {};
    for (const DefaultValue& d : kDefaults) {
        const auto index = static_cast<std::size_t>(RegisterIndex(d.name));
        const auto value = ParseRegisterValue(kRegisters[index], d.text);
        if (!value) throw std::logic_error("bad default register value");
        values[index] = *value;
    }
}

}  // namespace kravent::sim
