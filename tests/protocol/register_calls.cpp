#include "register_calls.h"

#include <climits>

namespace kravent::test {
namespace {

constexpr std::uint8_t kComOpt[32] = {1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};  // bits 0, 31; a 2 counts as 0
constexpr std::uint8_t kOptions[32] = {0, 0, 0, 0, 0, 0, 0, 3, 1};                    // bits 7, 8
constexpr std::int32_t kIp[4] = {192, 168, 0, 10};
constexpr std::int32_t kMask[4] = {255, 255, 255, 0};
constexpr char kName[16] = {'M', 'o', 't', 'o', 'r', 0, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'};

#define READ(REG, ADDR) \
    {"Vorn_KRAVENT_Read_" #REG, [](ComID c) { return Vorn_KRAVENT_Read_##REG(c); }, false, {ADDR}, nullptr}
#define READ_ONCE(REG, ADDR) \
    {"Vorn_KRAVENT_Read_" #REG, [](ComID c) { return Vorn_KRAVENT_Read_##REG(false, c); }, false, {ADDR}, nullptr}
#define COMMAND(REG, ADDR)                                                                                     \
    {                                                                                                         \
        "Vorn_KRAVENT_Write_" #REG, [](ComID c) { return Vorn_KRAVENT_Write_##REG(c); }, true, {ADDR},       \
            &::RegisterValues::REG##_Written                                                                  \
    }
#define WRITE(REG, ARG, ...)                                                                                   \
    {                                                                                                         \
        "Vorn_KRAVENT_Write_" #REG, [](ComID c) { return Vorn_KRAVENT_Write_##REG(ARG, c); }, true, {__VA_ARGS__}, \
            &::RegisterValues::REG##_Written                                                                  \
    }

const std::vector<RegisterCall>& Reads() {
    static const std::vector<RegisterCall> reads = {
    READ(TYPE, 0x00),
    READ(VERSION, 0x01),
    READ_ONCE(VOLTAGE, 0x07),
    READ_ONCE(WARNINGS, 0x08),
    READ(COMMUNICATIONOPTIONS, 0x10),
    READ(ETHERNETMAC, 0x11),
    READ(IPADDRESS, 0x12),
    READ(SUBNETMASK, 0x13),
    READ(TCPTIMEOUT, 0x14),
    READ(MODULENAME, 0x15),
    READ(TCPCONNECTIONSOPENED, 0x1A),
    READ_ONCE(REGULATIONMODE, 0x20),
    READ_ONCE(INPUT, 0x21),
    READ(INPUTMIN, 0x24),
    READ(INPUTMAX, 0x25),
    READ_ONCE(POSITION, 0x26),
    READ_ONCE(SPEED, 0x28),
    READ(CURRENTMAX, 0x2A),
    READ(OPTIONS, 0x2C),
    READ(LOOPTIME, 0x2D),
    READ(OUPUTVOLTAGEMAX, 0x2E),
    READ_ONCE(DESIRED, 0x30),
    READ_ONCE(FEEDBACK, 0x31),
    READ_ONCE(COMMAND, 0x32),
    READ(KP, 0x33),
    READ(KI, 0x34),
    READ(KD, 0x35),
    READ(ANTIRESETWINDUP, 0x36),
    READ_ONCE(INTEGRALDELTA, 0x37),
    READ_ONCE(DERIVATIONOFDELTA, 0x38),
    READ(ACCELERATION, 0x40),
    READ(DECELERATION, 0x41),
    READ(TOPSPEED, 0x42),
    READ(DEADZONE, 0x43),
    READ(HOMINGOPTIONS, 0x48),
    READ(HOMINGPOSITION, 0x4B),
    READ(HOMINGINPUT, 0x4C),
    READ(LIMIT1SETUP, 0x50),
    READ(LIMIT1REGULATIONMODE, 0x51),
    READ(LIMIT1POSITION, 0x52),
    READ(LIMIT1XINPUT, 0x53),
    READ(LIMIT2SETUP, 0x58),
    READ(LIMIT2REGULATIONMODE, 0x59),
    READ(LIMIT2POSITION, 0x5A),
    READ(LIMIT2XINPUT, 0x5B),
    };
    return reads;
}

const std::vector<RegisterCall>& Writes() {
    static const std::vector<RegisterCall> writes = {
    COMMAND(RESETCPU, 0x02),
    COMMAND(SAVEUSERPARAMETERS, 0x03),
    COMMAND(RESTOREUSERPARAMETERS, 0x04),
    COMMAND(RESTOREFACTORYPARAMETERS, 0x05),
    COMMAND(SAVEFACTORYPARAMETERS, 0x06),
    {"Vorn_KRAVENT_Reset_WARNINGS", [](ComID c) { return Vorn_KRAVENT_Reset_WARNINGS(c); }, true,
     {0x08, 0x00, 0x00, 0x00, 0x00}, &::RegisterValues::WARNINGS_Written},
    WRITE(COMMUNICATIONOPTIONS, kComOpt, 0x10, 0x80, 0x00, 0x00, 0x01),
    WRITE(IPADDRESS, kIp, 0x12, 0xC0, 0xA8, 0x00, 0x0A),
    WRITE(SUBNETMASK, kMask, 0x13, 0xFF, 0xFF, 0xFF, 0x00),
    WRITE(TCPTIMEOUT, 255, 0x14, 0xFF),
    WRITE(MODULENAME, kName, 0x15, 'M', 'o', 't', 'o', 'r', 0, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J'),
    WRITE(REGULATIONMODE, 5, 0x20, 0x05),
    WRITE(INPUT, -2, 0x21, 0xFF, 0xFF, 0xFF, 0xFE),
    WRITE(INPUTOFFSET, 0x01020304, 0x22, 0x01, 0x02, 0x03, 0x04),
    WRITE(INPUTOFFSETMEASURED, 7, 0x23, 0x00, 0x00, 0x00, 0x07),
    WRITE(INPUTMIN, -100000, 0x24, 0xFF, 0xFE, 0x79, 0x60),
    WRITE(INPUTMAX, 100000, 0x25, 0x00, 0x01, 0x86, 0xA0),
    WRITE(POSITION, 123456789, 0x26, 0x07, 0x5B, 0xCD, 0x15),
    WRITE(POSITIONOFFSET, INT_MIN, 0x27, 0x80, 0x00, 0x00, 0x00),
    WRITE(CURRENTMAX, 2.5f, 0x2A, 0x00, 0x02, 0x80, 0x00),
    WRITE(OPTIONS, kOptions, 0x2C, 0x00, 0x00, 0x01, 0x80),
    WRITE(LOOPTIME, 300, 0x2D, 0x2C),
    WRITE(OUPUTVOLTAGEMAX, -12.25f, 0x2E, 0xFF, 0xF3, 0xC0, 0x00),
    WRITE(KP, 1.5f, 0x33, 0x00, 0x01, 0x80, 0x00),
    WRITE(KI, 0.00001f, 0x34, 0x00, 0x00, 0x00, 0x00),
    WRITE(KD, -1.0f, 0x35, 0xFF, 0xFF, 0x00, 0x00),
    WRITE(ANTIRESETWINDUP, 1, 0x36, 0x00, 0x00, 0x00, 0x01),
    WRITE(INTEGRALDELTA, INT_MAX, 0x37, 0x7F, 0xFF, 0xFF, 0xFF),
    WRITE(ACCELERATION, 1000, 0x40, 0x00, 0x00, 0x03, 0xE8),
    WRITE(DECELERATION, 2000, 0x41, 0x00, 0x00, 0x07, 0xD0),
    WRITE(TOPSPEED, 65536, 0x42, 0x00, 0x01, 0x00, 0x00),
    WRITE(DEADZONE, 3, 0x43, 0x00, 0x00, 0x00, 0x03),
    {"Vorn_KRAVENT_Write_HOMINGOPTIONS",
     [](ComID c) { return Vorn_KRAVENT_Write_HOMINGOPTIONS(0x1F, true, 2, 3, 4, 0x15, c); }, true,
     {0x48, 0x00, 0x54, 0x32, 0x8F}, &::RegisterValues::HOMINGOPTIONS_Written},
    COMMAND(HOMING, 0x49),
    COMMAND(STOPHOMING, 0x4A),
    WRITE(HOMINGPOSITION, -1, 0x4B, 0xFF, 0xFF, 0xFF, 0xFF),
    WRITE(HOMINGINPUT, 256, 0x4C, 0x00, 0x00, 0x01, 0x00),
    WRITE(LIMIT1SETUP, 0x11, 0x50, 0x00, 0x00, 0x00, 0x11),
    WRITE(LIMIT1REGULATIONMODE, 0x1FF, 0x51, 0xFF),
    WRITE(LIMIT1POSITION, 0x12345678, 0x52, 0x12, 0x34, 0x56, 0x78),
    WRITE(LIMIT1XINPUT, 9, 0x53, 0x00, 0x00, 0x00, 0x09),
    WRITE(LIMIT2SETUP, 0x22, 0x58, 0x00, 0x00, 0x00, 0x22),
    WRITE(LIMIT2REGULATIONMODE, 2, 0x59, 0x02),
    WRITE(LIMIT2POSITION, -5, 0x5A, 0xFF, 0xFF, 0xFF, 0xFB),
    WRITE(LIMIT2XINPUT, 10, 0x5B, 0x00, 0x00, 0x00, 0x0A),
    };
    return writes;
}

}  // namespace

std::vector<RegisterCall> ReadCalls() { return Reads(); }
std::vector<RegisterCall> WriteCalls() { return Writes(); }

const std::vector<RegisterCall>& RegisterCalls() {
    static const std::vector<RegisterCall> all = [] {
        std::vector<RegisterCall> v = Reads();
        v.insert(v.end(), Writes().begin(), Writes().end());
        return v;
    }();
    return all;
}

Bytes Items(const std::vector<RegisterCall>& calls, std::size_t first, std::size_t last) {
    Bytes out;
    for (std::size_t i = first; i < last; ++i) out.insert(out.end(), calls[i].item.begin(), calls[i].item.end());
    return out;
}

}  // namespace kravent::test
