#include "cli/register_calls.h"

#include <string_view>

namespace kravent::cli {

namespace {

using PlainRead = bool(VORN_KRAVENT_CALL*)(ComID);
using PollableRead = bool(VORN_KRAVENT_CALL*)(bool, ComID);
using Command = bool(VORN_KRAVENT_CALL*)(ComID);
using IntegerWrite = bool(VORN_KRAVENT_CALL*)(std::int32_t, ComID);
using RealWrite = bool(VORN_KRAVENT_CALL*)(float, ComID);

struct ReadCall {
    std::string_view name;
    PlainRead plain;
    PollableRead pollable;
};
#define READ(R) {#R, Vorn_KRAVENT_Read_##R, nullptr}
#define REPETITIVE(R) {#R, nullptr, Vorn_KRAVENT_Read_##R}
constexpr ReadCall kReads[] = {
    READ(TYPE),
    READ(VERSION),
    REPETITIVE(VOLTAGE),
    REPETITIVE(WARNINGS),
    READ(COMMUNICATIONOPTIONS),
    READ(ETHERNETMAC),
    READ(IPADDRESS),
    READ(SUBNETMASK),
    READ(TCPTIMEOUT),
    READ(MODULENAME),
    READ(TCPCONNECTIONSOPENED),
    REPETITIVE(REGULATIONMODE),
    REPETITIVE(INPUT),
    READ(INPUTMIN),
    READ(INPUTMAX),
    REPETITIVE(POSITION),
    REPETITIVE(SPEED),
    READ(CURRENTMAX),
    READ(OPTIONS),
    READ(LOOPTIME),
    READ(OUPUTVOLTAGEMAX),
    REPETITIVE(DESIRED),
    REPETITIVE(FEEDBACK),
    REPETITIVE(COMMAND),
    READ(KP),
    READ(KI),
    READ(KD),
    READ(ANTIRESETWINDUP),
    REPETITIVE(INTEGRALDELTA),
    REPETITIVE(DERIVATIONOFDELTA),
    READ(ACCELERATION),
    READ(DECELERATION),
    READ(TOPSPEED),
    READ(DEADZONE),
    READ(HOMINGOPTIONS),
    READ(HOMINGPOSITION),
    READ(HOMINGINPUT),
    READ(LIMIT1SETUP),
    READ(LIMIT1REGULATIONMODE),
    READ(LIMIT1POSITION),
    READ(LIMIT1XINPUT),
    READ(LIMIT2SETUP),
    READ(LIMIT2REGULATIONMODE),
    READ(LIMIT2POSITION),
    READ(LIMIT2XINPUT),
};
#undef READ
#undef REPETITIVE

template <typename Function>
struct Named {
    std::string_view name;
    Function call;
};
#define WRITE(R) {#R, Vorn_KRAVENT_Write_##R}
constexpr Named<Command> kCommands[] = {
    WRITE(RESETCPU),
    WRITE(SAVEUSERPARAMETERS),
    WRITE(RESTOREUSERPARAMETERS),
    WRITE(RESTOREFACTORYPARAMETERS),
    WRITE(SAVEFACTORYPARAMETERS),
    WRITE(HOMING),
    WRITE(STOPHOMING),
};
constexpr Named<IntegerWrite> kIntegerWrites[] = {
    WRITE(TCPTIMEOUT),
    WRITE(REGULATIONMODE),
    WRITE(INPUT),
    WRITE(INPUTOFFSET),
    WRITE(INPUTOFFSETMEASURED),
    WRITE(INPUTMIN),
    WRITE(INPUTMAX),
    WRITE(POSITION),
    WRITE(POSITIONOFFSET),
    WRITE(LOOPTIME),
    WRITE(ANTIRESETWINDUP),
    WRITE(INTEGRALDELTA),
    WRITE(ACCELERATION),
    WRITE(DECELERATION),
    WRITE(TOPSPEED),
    WRITE(DEADZONE),
    WRITE(HOMINGPOSITION),
    WRITE(HOMINGINPUT),
    WRITE(LIMIT1SETUP),
    WRITE(LIMIT1REGULATIONMODE),
    WRITE(LIMIT1POSITION),
    WRITE(LIMIT1XINPUT),
    WRITE(LIMIT2SETUP),
    WRITE(LIMIT2REGULATIONMODE),
    WRITE(LIMIT2POSITION),
    WRITE(LIMIT2XINPUT),
};
constexpr Named<RealWrite> kRealWrites[] = {
    WRITE(CURRENTMAX),
    WRITE(OUPUTVOLTAGEMAX),
    WRITE(KP),
    WRITE(KI),
    WRITE(KD),
};
#undef WRITE

template <typename Function, std::size_t N>
Function Find(const Named<Function> (&table)[N], std::string_view name) {
    for (const auto& entry : table)
        if (entry.name == name) return entry.call;
    return nullptr;
}

}  // namespace

bool RequestRead(std::size_t index, bool repetitive, ComID com) {
    const std::string_view name = kRegisters[index].name;
    for (const ReadCall& read : kReads) {
        if (read.name != name) continue;
        if (read.pollable) return read.pollable(repetitive, com);
        return !repetitive && read.plain(com);
    }
    return false;
}

bool RequestWrite(std::size_t index, const HostValue& value, ComID com) {
    const std::string_view name = kRegisters[index].name;
    if (const Command command = Find(kCommands, name)) return command(com);
    if (const IntegerWrite write = Find(kIntegerWrites, name)) return write(value.Int(), com);
    if (const RealWrite write = Find(kRealWrites, name)) return write(value.Real(), com);
    const auto* bits = reinterpret_cast<const std::uint8_t*>(value.bytes.data());
    const std::int32_t address[4] = {value.Int(0), value.Int(1), value.Int(2), value.Int(3)};
    if (name == "COMMUNICATIONOPTIONS") return Vorn_KRAVENT_Write_COMMUNICATIONOPTIONS(bits, com);
    if (name == "OPTIONS") return Vorn_KRAVENT_Write_OPTIONS(bits, com);
    if (name == "IPADDRESS") return Vorn_KRAVENT_Write_IPADDRESS(address, com);
    if (name == "SUBNETMASK") return Vorn_KRAVENT_Write_SUBNETMASK(address, com);
    if (name == "MODULENAME") return Vorn_KRAVENT_Write_MODULENAME(value.Text(), com);
    if (name == "HOMINGOPTIONS") {
        const wire::HomingValue h = value.Homing();
        return Vorn_KRAVENT_Write_HOMINGOPTIONS(h.nibble0, h.bit7, h.nibble2, h.nibble3, h.nibble4, h.nibble5, com);
    }
    return false;  // WARNINGS: only by Vorn_KRAVENT_Reset_WARNINGS
}

}  // namespace kravent::cli
