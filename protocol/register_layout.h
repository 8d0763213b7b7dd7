// Where each register lives in host memory: its fields in the RegisterValues record
// that hosts read, and its slot in a connection's write area. Both layouts are
// computed from the register table, so the decoder and the assembly need no list of
// their own; the record's computed positions are checked against the public struct.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "protocol/register_map.h"
#include "protocol/value_codec.h"

namespace kravent {

inline constexpr int kAbsent = -1;

// Byte offsets of one register's parts in RegisterValues, or kAbsent.
struct RecordPlace {
    int value = kAbsent;     // first value field (readable registers)
    int received = kAbsent;  // Received flag (readable registers)
    int written = kAbsent;   // Written flag (writable registers and commands)
};

namespace detail {

constexpr std::size_t AlignUp(std::size_t pos, std::size_t align) { return (pos + align - 1) / align * align; }

struct RecordLayout {
    std::array<RecordPlace, kRegisters.size()> places{};
    std::size_t used = 0;  // bytes up to the last flag
};

// Ascending address; per register its value fields at their natural alignment, then
// Received if it is readable, then Written if it is writable.
constexpr RecordLayout ComputeRecordLayout() {
    RecordLayout out{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < kRegisters.size(); ++i) {
        const RegisterInfo& r = kRegisters[i];
        if (r.readable) {
            pos = AlignUp(pos, wire::HostAlign(r.encoding));
            out.places[i].value = static_cast<int>(pos);
            pos += wire::HostSize(r.encoding);
            out.places[i].received = static_cast<int>(pos++);
        }
        if (r.writable()) out.places[i].written = static_cast<int>(pos++);
    }
    out.used = pos;
    return out;
}

struct WriteAreaLayout {
    std::array<int, kWriteCount> slot{};  // offset of entry k's value, kAbsent for commands
    std::size_t size = 0;
};

// One host-form slot per write-list entry that carries a value.
constexpr WriteAreaLayout ComputeWriteAreaLayout() {
    WriteAreaLayout out{};
    std::size_t pos = 0;
    for (std::size_t k = 0; k < kWriteCount; ++k) {
        const Encoding e = kRegisters[kWriteList[k]].encoding;
        if (e == Encoding::None) {
            out.slot[k] = kAbsent;
            continue;
        }
        pos = AlignUp(pos, wire::HostAlign(e));
        out.slot[k] = static_cast<int>(pos);
        pos += wire::HostSize(e);
    }
    out.size = AlignUp(pos, 4);
    return out;
}

}  // namespace detail

inline constexpr detail::RecordLayout kRecordLayout = detail::ComputeRecordLayout();
inline constexpr detail::WriteAreaLayout kWriteAreaLayout = detail::ComputeWriteAreaLayout();
inline constexpr std::size_t kWriteAreaSize = kWriteAreaLayout.size;

// The record place of register `index` of kRegisters.
constexpr const RecordPlace& RecordPlaceAt(std::size_t index) { return kRecordLayout.places[index]; }

// The record place of the register called `name` (compile-time lookups and checks).
constexpr RecordPlace RecordPlaceOf(std::string_view name) {
    const int i = RegisterIndex(name);
    return i == kNoIndex ? RecordPlace{} : kRecordLayout.places[static_cast<std::size_t>(i)];
}

// --- The computed record against the public struct ---------------------------------

static_assert(kRecordLayout.used == 518 && sizeof(::RegisterValues) == detail::AlignUp(kRecordLayout.used, 4));
static_assert(offsetof(::RegisterValues, TYPE_ValueLow) - offsetof(::RegisterValues, TYPE_ValueHigh) ==
              offsetof(wire::TwoHalvesValue, low));
static_assert(offsetof(::RegisterValues, HOMINGOPTIONS_HomingBit7) - offsetof(::RegisterValues, HOMINGOPTIONS_HomingNibble0) ==
                  offsetof(wire::HomingValue, bit7) &&
              offsetof(::RegisterValues, HOMINGOPTIONS_HomingNibble5) - offsetof(::RegisterValues, HOMINGOPTIONS_HomingNibble0) ==
                  offsetof(wire::HomingValue, nibble5));

// Readable only, readable and writable, writable only (with the first value field).
#define KRAVENT_CHECK_R(REG, FIRST)                                                          \
    static_assert(RecordPlaceOf(#REG).value == int{offsetof(::RegisterValues, REG##_##FIRST)} && \
                  RecordPlaceOf(#REG).received == int{offsetof(::RegisterValues, REG##_Received)} && \
                  RecordPlaceOf(#REG).written == kAbsent, #REG " lies where the record has it")
#define KRAVENT_CHECK_RW(REG, FIRST)                                                         \
    static_assert(RecordPlaceOf(#REG).value == int{offsetof(::RegisterValues, REG##_##FIRST)} && \
                  RecordPlaceOf(#REG).received == int{offsetof(::RegisterValues, REG##_Received)} && \
                  RecordPlaceOf(#REG).written == int{offsetof(::RegisterValues, REG##_Written)}, \
                  #REG " lies where the record has it")
#define KRAVENT_CHECK_W(REG)                                                                      \
    static_assert(RecordPlaceOf(#REG).value == kAbsent && RecordPlaceOf(#REG).received == kAbsent && \
                  RecordPlaceOf(#REG).written == int{offsetof(::RegisterValues, REG##_Written)},   \
                  #REG " lies where the record has it")

KRAVENT_CHECK_R(TYPE, ValueHigh);
KRAVENT_CHECK_R(VERSION, ValueHigh);
KRAVENT_CHECK_W(RESETCPU);
KRAVENT_CHECK_W(SAVEUSERPARAMETERS);
KRAVENT_CHECK_W(RESTOREUSERPARAMETERS);
KRAVENT_CHECK_W(RESTOREFACTORYPARAMETERS);
KRAVENT_CHECK_W(SAVEFACTORYPARAMETERS);
KRAVENT_CHECK_R(VOLTAGE, Value);
KRAVENT_CHECK_RW(WARNINGS, Bits);
KRAVENT_CHECK_RW(COMMUNICATIONOPTIONS, Bits);
KRAVENT_CHECK_R(ETHERNETMAC, Bytes);
KRAVENT_CHECK_RW(IPADDRESS, Bytes);
KRAVENT_CHECK_RW(SUBNETMASK, Bytes);
KRAVENT_CHECK_RW(TCPTIMEOUT, Value);
KRAVENT_CHECK_RW(MODULENAME, Text);
KRAVENT_CHECK_R(TCPCONNECTIONSOPENED, Value);
KRAVENT_CHECK_RW(REGULATIONMODE, Value);
KRAVENT_CHECK_RW(INPUT, Value);
KRAVENT_CHECK_W(INPUTOFFSET);
KRAVENT_CHECK_W(INPUTOFFSETMEASURED);
KRAVENT_CHECK_RW(INPUTMIN, Value);
KRAVENT_CHECK_RW(INPUTMAX, Value);
KRAVENT_CHECK_RW(POSITION, Value);
KRAVENT_CHECK_W(POSITIONOFFSET);
KRAVENT_CHECK_R(SPEED, Value);
KRAVENT_CHECK_RW(CURRENTMAX, Value);
KRAVENT_CHECK_RW(OPTIONS, Bits);
KRAVENT_CHECK_RW(LOOPTIME, Value);
KRAVENT_CHECK_RW(OUPUTVOLTAGEMAX, Value);
KRAVENT_CHECK_R(DESIRED, Value);
KRAVENT_CHECK_R(FEEDBACK, Value);
KRAVENT_CHECK_R(COMMAND, Value);
KRAVENT_CHECK_RW(KP, Value);
KRAVENT_CHECK_RW(KI, Value);
KRAVENT_CHECK_RW(KD, Value);
KRAVENT_CHECK_RW(ANTIRESETWINDUP, Value);
KRAVENT_CHECK_RW(INTEGRALDELTA, Value);
KRAVENT_CHECK_R(DERIVATIONOFDELTA, Value);
KRAVENT_CHECK_RW(ACCELERATION, Value);
KRAVENT_CHECK_RW(DECELERATION, Value);
KRAVENT_CHECK_RW(TOPSPEED, Value);
KRAVENT_CHECK_RW(DEADZONE, Value);
KRAVENT_CHECK_RW(HOMINGOPTIONS, HomingNibble0);
KRAVENT_CHECK_W(HOMING);
KRAVENT_CHECK_W(STOPHOMING);
KRAVENT_CHECK_RW(HOMINGPOSITION, Value);
KRAVENT_CHECK_RW(HOMINGINPUT, Value);
KRAVENT_CHECK_RW(LIMIT1SETUP, Value);
KRAVENT_CHECK_RW(LIMIT1REGULATIONMODE, Value);
KRAVENT_CHECK_RW(LIMIT1POSITION, Value);
KRAVENT_CHECK_RW(LIMIT1XINPUT, Value);
KRAVENT_CHECK_RW(LIMIT2SETUP, Value);
KRAVENT_CHECK_RW(LIMIT2REGULATIONMODE, Value);
KRAVENT_CHECK_RW(LIMIT2POSITION, Value);
KRAVENT_CHECK_RW(LIMIT2XINPUT, Value);

#undef KRAVENT_CHECK_R
#undef KRAVENT_CHECK_RW
#undef KRAVENT_CHECK_W

}  // namespace kravent
