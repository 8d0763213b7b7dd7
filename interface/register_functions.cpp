// The exported register functions: each checks its arguments and records one request
// in the connection; nothing is sent before Vorn_KRAVENT_SendData_MAINPORT.
//
// Every function is one line below, made by the macro of its shape from the register's
// name: the name gives the exported name, the message tail and, through the register
// table, the flag index (a misspelt name does not compile).
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "connection/com_management.h"
#include "export_alias.h"
#include "interface/connection_handle.h"
#include "interface/failure.h"
#include "protocol/register_map.h"
#include "protocol/value_codec.h"

namespace kravent {
namespace {

template <int K>
concept OnList = K >= 0;

template <int W>
constexpr Encoding WriteEncoding() {
    return kRegisters[kWriteList[static_cast<std::size_t>(W)]].encoding;
}

template <int R>
    requires OnList<R>
bool ReadShape(ComID com, std::string_view function) {
    auto c = ConnectionFromHandle(com, function);
    if (c == nullptr) return false;
    c->RequestRead(R);
    return true;
}

// Repetitive true puts the register into the polled set instead of asking once.
template <int R, int P>
    requires OnList<R> && OnList<P>
bool RepetitiveReadShape(bool repetitive, ComID com, std::string_view function) {
    auto c = ConnectionFromHandle(com, function);
    if (c == nullptr) return false;
    if (repetitive)
        c->RequestRepetitive(P);
    else
        c->RequestRead(R);
    return true;
}

template <int W, typename T>
    requires OnList<W>
bool StoreWrite(CComManagement& c, const T& value) {
    static_assert(sizeof(T) == wire::HostSize(WriteEncoding<W>()), "the value has the slot's host form");
    c.RequestWrite(W, &value, sizeof value);
    return true;
}

template <int W>
    requires OnList<W>
bool CommandShape(ComID com, std::string_view function) {
    static_assert(WriteEncoding<W>() == Encoding::None);
    auto c = ConnectionFromHandle(com, function);
    if (c == nullptr) return false;
    c->RequestWrite(W, nullptr, 0);
    return true;
}

// Integer and byte registers take an int32 (a byte register sends its low 8 bits),
// real registers a float (sent in fixed 16.16).
template <int W, typename T>
bool ValueShape(T value, ComID com, std::string_view function) {
    constexpr Encoding e = WriteEncoding<W>();
    static_assert(std::is_same_v<T, float> ? e == Encoding::Fixed16_16 : (e == Encoding::Signed32 || e == Encoding::Byte));
    auto c = ConnectionFromHandle(com, function);
    return c != nullptr && StoreWrite<W>(*c, value);
}

template <int W>
bool RangedByteShape(std::int32_t value, std::int32_t low, std::int32_t high, std::string_view rangeMessage,
                     ComID com, std::string_view function) {
    static_assert(WriteEncoding<W>() == Encoding::Byte);
    auto c = ConnectionFromHandle(com, function);
    if (c == nullptr) return false;
    if (value < low || value > high) return ReportFailure(rangeMessage, c->IpText());
    return StoreWrite<W>(*c, value);
}

// Four integers, each 0 to 255, first one first.
template <int W>
bool AddressShape(const std::int32_t* address, std::string_view nullMessage, std::string_view rangeMessage,
                  ComID com, std::string_view function) {
    static_assert(WriteEncoding<W>() == Encoding::ByteList4);
    auto c = ConnectionFromHandle(com, function);
    if (c == nullptr) return false;
    if (address == nullptr) return ReportFailure(nullMessage, c->IpText());
    std::int32_t value[4];
    for (int k = 0; k < 4; ++k) {
        if (address[k] < 0 || address[k] > 255) return ReportFailure(rangeMessage, c->IpText());
        value[k] = address[k];
    }
    return StoreWrite<W>(*c, value);
}

// Exactly the slot's bytes are copied, whatever they hold.
template <int W, typename Byte>
bool BlockShape(const Byte* block, std::string_view nullMessage, ComID com, std::string_view function) {
    static_assert(sizeof(Byte) == 1);
    constexpr std::size_t size = wire::HostSize(WriteEncoding<W>());
    auto c = ConnectionFromHandle(com, function);
    if (c == nullptr) return false;
    if (block == nullptr) return ReportFailure(nullMessage, c->IpText());
    c->RequestWrite(W, block, size);
    return true;
}

}  // namespace
}  // namespace kravent

#define KRAVENT_GUARDED(...) kravent::CallGuarded(false, [&] { return __VA_ARGS__; })

#define KRAVENT_READ(REG)                                                                     \
    extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_##REG(ComID Com) {                    \
        return KRAVENT_GUARDED(kravent::ReadShape<kravent::ReadIndex(#REG)>(Com, "Vorn_KRAVENT_Read_" #REG)); \
    }                                                                                         \
    KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Read_##REG)

#define KRAVENT_READ_REPETITIVE(REG)                                                                \
    extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_##REG(bool Repetitive, ComID Com) {          \
        return KRAVENT_GUARDED(kravent::RepetitiveReadShape<kravent::ReadIndex(#REG), kravent::RepetitiveIndex(#REG)>( \
            Repetitive, Com, "Vorn_KRAVENT_Read_" #REG));                                               \
    }                                                                                               \
    KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Read_##REG)

#define KRAVENT_COMMAND(REG)                                                                    \
    extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_##REG(ComID Com) {                     \
        return KRAVENT_GUARDED(kravent::CommandShape<kravent::WriteIndex(#REG)>(Com, "Vorn_KRAVENT_Write_" #REG)); \
    }                                                                                           \
    KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Write_##REG)

#define KRAVENT_WRITE_VALUE(REG, TYPE)                                                                     \
    extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_##REG(TYPE Value, ComID Com) {                    \
        return KRAVENT_GUARDED(kravent::ValueShape<kravent::WriteIndex(#REG)>(Value, Com, "Vorn_KRAVENT_Write_" #REG)); \
    }                                                                                                      \
    KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Write_##REG)
#define KRAVENT_WRITE_INT(REG) KRAVENT_WRITE_VALUE(REG, int32_t)
#define KRAVENT_WRITE_REAL(REG) KRAVENT_WRITE_VALUE(REG, float)

#define KRAVENT_WRITE_RANGED(REG, LOW, HIGH, MESSAGE)                                                \
    extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_##REG(int32_t Value, ComID Com) {           \
        return KRAVENT_GUARDED(kravent::RangedByteShape<kravent::WriteIndex(#REG)>(                   \
            Value, LOW, HIGH, MESSAGE "\t(" "Vorn_KRAVENT_Write_" #REG ")", Com, "Vorn_KRAVENT_Write_" #REG)); \
    }                                                                                                \
    KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Write_##REG)

#define KRAVENT_WRITE_ADDRESS(REG, PARAM, RANGE_MESSAGE)                                                       \
    extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_##REG(const int32_t* PARAM, ComID Com) {             \
        return KRAVENT_GUARDED(kravent::AddressShape<kravent::WriteIndex(#REG)>(                               \
            PARAM, "Pointer on data to write not valid. " #PARAM " = NULL\t(" "Vorn_KRAVENT_Write_" #REG ")",     \
            RANGE_MESSAGE "\t(" "Vorn_KRAVENT_Write_" #REG ")", Com, "Vorn_KRAVENT_Write_" #REG));                  \
    }                                                                                                          \
    KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Write_##REG)

// TAIL: the name that the pointer message carries (COMMUNICATIONOPTIONS reports as COMOPTIONS).
#define KRAVENT_WRITE_BLOCK(REG, BYTE, PARAM, TAIL)                                                        \
    extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_##REG(const BYTE* PARAM, ComID Com) {             \
        return KRAVENT_GUARDED(kravent::BlockShape<kravent::WriteIndex(#REG)>(                             \
            PARAM, "Pointer on data to write not valid. " #PARAM " = NULL\t(" "Vorn_KRAVENT_Write_" #TAIL ")", \
            Com, "Vorn_KRAVENT_Write_" #REG));                                                                 \
    }                                                                                                      \
    KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Write_##REG)

KRAVENT_READ(TYPE)
KRAVENT_READ(VERSION)
KRAVENT_COMMAND(RESETCPU)
KRAVENT_COMMAND(SAVEUSERPARAMETERS)
KRAVENT_COMMAND(RESTOREUSERPARAMETERS)
KRAVENT_COMMAND(RESTOREFACTORYPARAMETERS)
KRAVENT_COMMAND(SAVEFACTORYPARAMETERS)
KRAVENT_READ_REPETITIVE(VOLTAGE)
KRAVENT_READ_REPETITIVE(WARNINGS)
KRAVENT_READ(COMMUNICATIONOPTIONS)
KRAVENT_WRITE_BLOCK(COMMUNICATIONOPTIONS, uint8_t, ComOpt, COMOPTIONS)
KRAVENT_READ(ETHERNETMAC)
KRAVENT_READ(IPADDRESS)
KRAVENT_WRITE_ADDRESS(IPADDRESS, IPAdd, "Address IP not valid")
KRAVENT_READ(SUBNETMASK)
KRAVENT_WRITE_ADDRESS(SUBNETMASK, SubnetMask, "Subnet Mask not valid")
KRAVENT_READ(TCPTIMEOUT)
KRAVENT_WRITE_RANGED(TCPTIMEOUT, 0, 255, "TCP TimeOut value not valid.")
KRAVENT_READ(MODULENAME)
KRAVENT_WRITE_BLOCK(MODULENAME, char, Name, MODULENAME)
KRAVENT_READ(TCPCONNECTIONSOPENED)
KRAVENT_READ_REPETITIVE(REGULATIONMODE)
KRAVENT_WRITE_RANGED(REGULATIONMODE, 0, 5, "Regulation Mode value not valid.")
KRAVENT_READ_REPETITIVE(INPUT)
KRAVENT_WRITE_INT(INPUT)
KRAVENT_WRITE_INT(INPUTOFFSET)
KRAVENT_WRITE_INT(INPUTOFFSETMEASURED)
KRAVENT_READ(INPUTMIN)
KRAVENT_WRITE_INT(INPUTMIN)
KRAVENT_READ(INPUTMAX)
KRAVENT_WRITE_INT(INPUTMAX)
KRAVENT_READ_REPETITIVE(POSITION)
KRAVENT_WRITE_INT(POSITION)
KRAVENT_WRITE_INT(POSITIONOFFSET)
KRAVENT_READ_REPETITIVE(SPEED)
KRAVENT_READ(CURRENTMAX)
KRAVENT_WRITE_REAL(CURRENTMAX)
KRAVENT_READ(OPTIONS)
KRAVENT_WRITE_BLOCK(OPTIONS, uint8_t, Options, OPTIONS)
KRAVENT_READ(LOOPTIME)
KRAVENT_WRITE_INT(LOOPTIME)
KRAVENT_READ(OUPUTVOLTAGEMAX)
KRAVENT_WRITE_REAL(OUPUTVOLTAGEMAX)
KRAVENT_READ_REPETITIVE(DESIRED)
KRAVENT_READ_REPETITIVE(FEEDBACK)
KRAVENT_READ_REPETITIVE(COMMAND)
KRAVENT_READ(KP)
KRAVENT_WRITE_REAL(KP)
KRAVENT_READ(KI)
KRAVENT_WRITE_REAL(KI)
KRAVENT_READ(KD)
KRAVENT_WRITE_REAL(KD)
KRAVENT_READ(ANTIRESETWINDUP)
KRAVENT_WRITE_INT(ANTIRESETWINDUP)
KRAVENT_READ_REPETITIVE(INTEGRALDELTA)
KRAVENT_WRITE_INT(INTEGRALDELTA)
KRAVENT_READ_REPETITIVE(DERIVATIONOFDELTA)
KRAVENT_READ(ACCELERATION)
KRAVENT_WRITE_INT(ACCELERATION)
KRAVENT_READ(DECELERATION)
KRAVENT_WRITE_INT(DECELERATION)
KRAVENT_READ(TOPSPEED)
KRAVENT_WRITE_INT(TOPSPEED)
KRAVENT_READ(DEADZONE)
KRAVENT_WRITE_INT(DEADZONE)
KRAVENT_READ(HOMINGOPTIONS)
KRAVENT_COMMAND(HOMING)
KRAVENT_COMMAND(STOPHOMING)
KRAVENT_READ(HOMINGPOSITION)
KRAVENT_WRITE_INT(HOMINGPOSITION)
KRAVENT_READ(HOMINGINPUT)
KRAVENT_WRITE_INT(HOMINGINPUT)
KRAVENT_READ(LIMIT1SETUP)
KRAVENT_WRITE_INT(LIMIT1SETUP)
KRAVENT_READ(LIMIT1REGULATIONMODE)
KRAVENT_WRITE_INT(LIMIT1REGULATIONMODE)
KRAVENT_READ(LIMIT1POSITION)
KRAVENT_WRITE_INT(LIMIT1POSITION)
KRAVENT_READ(LIMIT1XINPUT)
KRAVENT_WRITE_INT(LIMIT1XINPUT)
KRAVENT_READ(LIMIT2SETUP)
KRAVENT_WRITE_INT(LIMIT2SETUP)
KRAVENT_READ(LIMIT2REGULATIONMODE)
KRAVENT_WRITE_INT(LIMIT2REGULATIONMODE)
KRAVENT_READ(LIMIT2POSITION)
KRAVENT_WRITE_INT(LIMIT2POSITION)
KRAVENT_READ(LIMIT2XINPUT)
KRAVENT_WRITE_INT(LIMIT2XINPUT)

// Six homing fields, stored unchanged; the packet keeps the low 4 bits of each nibble.
extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Write_HOMINGOPTIONS(int32_t HomingNibble0, bool HomingBit7,
                                                                int32_t HomingNibble2, int32_t HomingNibble3,
                                                                int32_t HomingNibble4, int32_t HomingNibble5,
                                                                ComID Com) {
    return kravent::CallGuarded(false, [&] {
        auto c = kravent::ConnectionFromHandle(Com, "Vorn_KRAVENT_Write_HOMINGOPTIONS");
        if (c == nullptr) return false;
        const kravent::wire::HomingValue value{HomingNibble0, HomingBit7,   HomingNibble2,
                                               HomingNibble3, HomingNibble4, HomingNibble5};
        return kravent::StoreWrite<kravent::WriteIndex("HOMINGOPTIONS")>(*c, value);
    });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Write_HOMINGOPTIONS)

// WARNINGS has no write of its own: the reset writes all 32 bits as 0.
extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Reset_WARNINGS(ComID Com) {
    return kravent::CallGuarded(false, [&] {
        auto c = kravent::ConnectionFromHandle(Com, "Vorn_KRAVENT_Reset_WARNINGS");
        if (c == nullptr) return false;
        const bool cleared[32] = {};
        return kravent::StoreWrite<kravent::WriteIndex("WARNINGS")>(*c, cleared);
    });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Reset_WARNINGS)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_Read_AllRegister(ComID Com) {
    return kravent::CallGuarded(false, [&] {
        auto c = kravent::ConnectionFromHandle(Com, "Vorn_KRAVENT_Read_AllRegister");
        if (c == nullptr) return false;
        c->RequestAllReads();
        return true;
    });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_Read_AllRegister)

extern "C" bool VORN_KRAVENT_CALL Vorn_KRAVENT_ResetAllRegisterRead(ComID Com) {
    return kravent::CallGuarded(false, [&] {
        auto c = kravent::ConnectionFromHandle(Com, "Vorn_KRAVENT_ResetAllRegisterRead");
        if (c == nullptr) return false;
        c->ClearAllReads();
        return true;
    });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_ResetAllRegisterRead)
