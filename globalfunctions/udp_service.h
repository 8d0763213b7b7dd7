// The UDP service exchange with modules (port 7010): the library-wide reassembly of
// received frames and the parser of their register items, shared by the module test,
// the network scan and the IP address change.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent {

inline constexpr int UDP_SERVICE_PORT = 7010;
inline constexpr std::size_t kUdpReassemblySize = 65000;
inline constexpr std::size_t kSenderTextSize = 16;  // "255.255.255.255" and its zero

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
    std::uint32_t checksumErrorCount = 0;
    TypeTestState typeTest;
    ScanTable scan;
};

// The state of the library, and the lock that lets one UDP operation run at a time:
// each operation holds it from its first to its last datagram.
UdpServiceState& LibraryUdpState();
std::mutex& UdpOperationLock();

// Empties the reassembly. Every operation starts with it, so that nothing an earlier
// operation received can shift how this one cuts its datagrams into frames.
void ResetUdpReassembly(UdpServiceState& state);

// Takes the result of one receive. A frame begun by another sender is dropped: a frame
// continues only in datagrams of the sender it began with. Returns false when `count` is 0, true otherwise.
bool ReceivedUDPRawData(UdpServiceState& state, const std::uint8_t* bytes, std::size_t count,
                        const char* sender, int port);

// Walks the register items of one verified payload.
void ReceiveUDP_Data(UdpServiceState& state, const std::uint8_t* payload, std::size_t count, const char* sender,
                     int port);

}  // namespace kravent
