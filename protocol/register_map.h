// The KRAVENT module's register map: the one table from which every register list,
// size and record position of the library is derived.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kravent {

// How a register's value travels on the wire (big-endian) and is held by the host.
enum class Encoding : std::uint8_t {
    None,           // commands: no value bytes
    Byte,           // 1 byte, host int32
    Signed32,       // 4 bytes two's complement, host int32
    Fixed16_16,     // 4 bytes value*65536, host float
    TwoHalves,      // 4 bytes: two unsigned 16-bit halves, host ValueHigh/ValueLow
    BitSet,         // 4 bytes, host 32 booleans (element i = bit i)
    ByteList4,      // 4 bytes, host 4 int32
    ByteList6,      // 6 bytes, host 6 int32
    Text16,         // 16 bytes, host 16 chars
    HomingOptions,  // 4 bytes, host six homing fields
};

enum class Write : std::uint8_t { No, Value, Command };

struct RegisterInfo {
    std::string_view name;
    std::uint8_t address;
    Encoding encoding;
    bool readable;
    bool repetitive;
    Write write;

    constexpr bool writable() const { return write != Write::No; }
};

// Ascending address order; every ordered list below follows it.
inline constexpr std::array<RegisterInfo, 55> kRegisters = {{
    {"TYPE", 0x00, Encoding::TwoHalves, true, false, Write::No},
    {"VERSION", 0x01, Encoding::TwoHalves, true, false, Write::No},
    {"RESETCPU", 0x02, Encoding::None, false, false, Write::Command},
    {"SAVEUSERPARAMETERS", 0x03, Encoding::None, false, false, Write::Command},
    {"RESTOREUSERPARAMETERS", 0x04, Encoding::None, false, false, Write::Command},
    {"RESTOREFACTORYPARAMETERS", 0x05, Encoding::None, false, false, Write::Command},
    {"SAVEFACTORYPARAMETERS", 0x06, Encoding::None, false, false, Write::Command},
    {"VOLTAGE", 0x07, Encoding::Fixed16_16, true, true, Write::No},
    {"WARNINGS", 0x08, Encoding::BitSet, true, true, Write::Value},
    {"COMMUNICATIONOPTIONS", 0x10, Encoding::BitSet, true, false, Write::Value},
    {"ETHERNETMAC", 0x11, Encoding::ByteList6, true, false, Write::No},
    {"IPADDRESS", 0x12, Encoding::ByteList4, true, false, Write::Value},
    {"SUBNETMASK", 0x13, Encoding::ByteList4, true, false, Write::Value},
    {"TCPTIMEOUT", 0x14, Encoding::Byte, true, false, Write::Value},
    {"MODULENAME", 0x15, Encoding::Text16, true, false, Write::Value},
    {"TCPCONNECTIONSOPENED", 0x1A, Encoding::Byte, true, false, Write::No},
    {"REGULATIONMODE", 0x20, Encoding::Byte, true, true, Write::Value},
    {"INPUT", 0x21, Encoding::Signed32, true, true, Write::Value},
    {"INPUTOFFSET", 0x22, Encoding::Signed32, false, false, Write::Value},
    {"INPUTOFFSETMEASURED", 0x23, Encoding::Signed32, false, false, Write::Value},
    {"INPUTMIN", 0x24, Encoding::Signed32, true, false, Write::Value},
    {"INPUTMAX", 0x25, Encoding::Signed32, true, false, Write::Value},
    {"POSITION", 0x26, Encoding::Signed32, true, true, Write::Value},
    {"POSITIONOFFSET", 0x27, Encoding::Signed32, false, false, Write::Value},
    {"SPEED", 0x28, Encoding::Signed32, true, true, Write::No},
    {"CURRENTMAX", 0x2A, Encoding::Fixed16_16, true, false, Write::Value},
    {"OPTIONS", 0x2C, Encoding::BitSet, true, false, Write::Value},
    {"LOOPTIME", 0x2D, Encoding::Byte, true, false, Write::Value},
    {"OUPUTVOLTAGEMAX", 0x2E, Encoding::Fixed16_16, true, false, Write::Value},
    {"DESIRED", 0x30, Encoding::Signed32, true, true, Write::No},
    {"FEEDBACK", 0x31, Encoding::Signed32, true, true, Write::No},
    {"COMMAND", 0x32, Encoding::Signed32, true, true, Write::No},
    {"KP", 0x33, Encoding::Fixed16_16, true, false, Write::Value},
    {"KI", 0x34, Encoding::Fixed16_16, true, false, Write::Value},
    {"KD", 0x35, Encoding::Fixed16_16, true, false, Write::Value},
    {"ANTIRESETWINDUP", 0x36, Encoding::Signed32, true, false, Write::Value},
    {"INTEGRALDELTA", 0x37, Encoding::Signed32, true, true, Write::Value},
    {"DERIVATIONOFDELTA", 0x38, Encoding::Signed32, true, true, Write::No},
    {"ACCELERATION", 0x40, Encoding::Signed32, true, false, Write::Value},
    {"DECELERATION", 0x41, Encoding::Signed32, true, false, Write::Value},
    {"TOPSPEED", 0x42, Encoding::Signed32, true, false, Write::Value},
    {"DEADZONE", 0x43, Encoding::Signed32, true, false, Write::Value},
    {"HOMINGOPTIONS", 0x48, Encoding::HomingOptions, true, false, Write::Value},
    {"HOMING", 0x49, Encoding::None, false, false, Write::Command},
    {"STOPHOMING", 0x4A, Encoding::None, false, false, Write::Command},
    {"HOMINGPOSITION", 0x4B, Encoding::Signed32, true, false, Write::Value},
    {"HOMINGINPUT", 0x4C, Encoding::Signed32, true, false, Write::Value},
    {"LIMIT1SETUP", 0x50, Encoding::Signed32, true, false, Write::Value},
    {"LIMIT1REGULATIONMODE", 0x51, Encoding::Byte, true, false, Write::Value},
    {"LIMIT1POSITION", 0x52, Encoding::Signed32, true, false, Write::Value},
    {"LIMIT1XINPUT", 0x53, Encoding::Signed32, true, false, Write::Value},
    {"LIMIT2SETUP", 0x58, Encoding::Signed32, true, false, Write::Value},
    {"LIMIT2REGULATIONMODE", 0x59, Encoding::Byte, true, false, Write::Value},
    {"LIMIT2POSITION", 0x5A, Encoding::Signed32, true, false, Write::Value},
    {"LIMIT2XINPUT", 0x5B, Encoding::Signed32, true, false, Write::Value},
}};

constexpr int WireSize(Encoding e) {
    switch (e) {
    case Encoding::None: return 0;
    case Encoding::Byte: return 1;
    case Encoding::ByteList6: return 6;
    case Encoding::Text16: return 16;
    default: return 4;
    }
}

namespace detail {
template <typename Pred>
constexpr std::size_t CountIf(Pred pred) {
    std::size_t n = 0;
    for (const auto& r : kRegisters) n += pred(r) ? 1 : 0;
    return n;
}
template <std::size_t N, typename Pred>
constexpr std::array<std::uint8_t, N> IndicesIf(Pred pred) {
    std::array<std::uint8_t, N> out{};
    std::size_t k = 0;
    for (std::size_t i = 0; i < kRegisters.size(); ++i)
        if (pred(kRegisters[i])) out[k++] = static_cast<std::uint8_t>(i);
    return out;
}
constexpr bool IsRead(const RegisterInfo& r) { return r.readable; }
constexpr bool IsRepetitive(const RegisterInfo& r) { return r.repetitive; }
constexpr bool IsWrite(const RegisterInfo& r) { return r.writable(); }
}  // namespace detail

inline constexpr std::size_t kReadCount = detail::CountIf(detail::IsRead);
inline constexpr std::size_t kRepetitiveCount = detail::CountIf(detail::IsRepetitive);
inline constexpr std::size_t kWriteCount = detail::CountIf(detail::IsWrite);
static_assert(kReadCount == 45 && kRepetitiveCount == 11 && kWriteCount == 45);

// The three ordered lists, as indices into kRegisters: ReadFlag[k] belongs to
// kRegisters[kReadList[k]], and likewise for RepetitiveFlag and WriteFlag.
inline constexpr auto kReadList = detail::IndicesIf<kReadCount>(detail::IsRead);
inline constexpr auto kRepetitiveList = detail::IndicesIf<kRepetitiveCount>(detail::IsRepetitive);
inline constexpr auto kWriteList = detail::IndicesIf<kWriteCount>(detail::IsWrite);

inline constexpr int kNoIndex = -1;

// Index into kRegisters of the register at `address`, or kNoIndex.
constexpr int RegisterIndex(std::uint8_t address) {
    for (std::size_t i = 0; i < kRegisters.size(); ++i)
        if (kRegisters[i].address == address) return static_cast<int>(i);
    return kNoIndex;
}

// Index into kRegisters of the register called `name`, or kNoIndex.
constexpr int RegisterIndex(std::string_view name) {
    for (std::size_t i = 0; i < kRegisters.size(); ++i)
        if (kRegisters[i].name == name) return static_cast<int>(i);
    return kNoIndex;
}

template <std::size_t N>
constexpr int ListPosition(const std::array<std::uint8_t, N>& list, std::string_view name) {
    const int reg = RegisterIndex(name);
    for (std::size_t k = 0; k < N; ++k)
        if (list[k] == reg) return static_cast<int>(k);
    return kNoIndex;
}

// Positions in the flag arrays, by register name (kNoIndex when not on the list).
constexpr int ReadIndex(std::string_view name) { return ListPosition(kReadList, name); }
constexpr int RepetitiveIndex(std::string_view name) { return ListPosition(kRepetitiveList, name); }
constexpr int WriteIndex(std::string_view name) { return ListPosition(kWriteList, name); }

// The register's value size on the wire, or -1 for an address the map does not hold.
constexpr int RegisterSize(std::uint8_t address) {
    const int i = RegisterIndex(address);
    return i == kNoIndex ? -1 : WireSize(kRegisters[static_cast<std::size_t>(i)].encoding);
}

}  // namespace kravent
