// The frames of the UDP service port (7010): the requests of the module test and the
// scan, the IP address change command, and the reassembly and item walk of answers.
// What goes wrong comes back as a value; nothing is logged here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent {

inline constexpr int UDP_SERVICE_PORT = 7010;
inline constexpr std::size_t kUdpReassemblySize = 65000;
inline constexpr std::size_t kSenderTextSize = 16;  // "255.255.255.255" and its zero

// Read request for TYPE, with its checksum.
inline constexpr std::uint8_t kTypeRequest[] = {0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xDD};
// Read request for TYPE, VERSION, MODULENAME and ETHERNETMAC, with its checksum.
inline constexpr std::uint8_t kScanRequest[] = {0x00, 0x21, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 0x15, 0x11, 0xEA, 0xC8};

inline constexpr std::size_t kChangeIpFrameSize = 22;

// The command frame that carries the MAC address, the new address and mask (6, 4 and 4
// ints, each taken as its low byte).
void BuildChangeIpFrame(const std::int32_t* macAddress, const std::int32_t* ipAddress,
                        const std::int32_t* subnetMaskAddress, std::uint8_t (&frame)[kChangeIpFrameSize]);

struct TypeTestState {
    bool active = false;
    std::int32_t valueHigh = 0;
    std::int32_t valueLow = 0;
};

inline constexpr std::size_t kScanMergeCapacity = 1024;

// The host's array while a scan runs; records are written only while `active`.
struct ScanTable {
    bool active = false;
    ModuleScanRecord* records = nullptr;
    std::int32_t capacity = 0;
    std::int32_t count = 0;
    // A request that went out on several interfaces reaches a module once through each
    // link it sits on: its answers, same MAC from the same address, are one module.
    bool mergeRepeats = false;
    std::size_t seenCount = 0;
    std::array<std::array<std::uint8_t, 10>, kScanMergeCapacity> seen{};  // MAC, then sender address
};

struct UdpServiceState {
    std::uint8_t frame[kUdpReassemblySize];
    std::size_t fill = 0;
    std::size_t wanted = 6;
    bool headerComplete = false;
    char frameSender[kSenderTextSize] = {};  // whose datagrams the frame in `frame` comes from
    TypeTestState typeTest;
    ScanTable scan;
};

// Empties the reassembly: after each frame, and when a datagram of another sender
// begins. Every operation starts from a state of its own, so nothing another operation
// received can shift how this one cuts its datagrams into frames.
void ResetUdpReassembly(UdpServiceState& state);

enum class ServiceFailure : std::uint8_t {
    None,
    ChecksumError,    // a rebuilt frame's checksum did not match; the frame is dropped
    UnknownRegister,  // an answer named a register the service does not serve; its walk ends
};

struct ServiceStep {
    std::size_t taken = 0;  // bytes consumed
    ServiceFailure failure = ServiceFailure::None;
};

// Begins a datagram of `sender` (dotted text): a frame begun by another sender is
// dropped, since a frame continues only in datagrams of the sender it began with.
void BeginServiceDatagram(UdpServiceState& state, const char* sender);

// Takes bytes of the datagram begun last until they are all taken or something fails.
// Every verified payload is walked on the way: TYPE feeds an active module test, and
// each ETHERNETMAC item makes a scan record of the items before it. A header that
// announces more than the reassembly holds drops the rest of the datagram.
ServiceStep TakeServiceBytes(UdpServiceState& state, const std::uint8_t* bytes, std::size_t count);

}  // namespace kravent
