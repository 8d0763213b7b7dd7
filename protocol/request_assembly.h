// The requests a host has flagged on a connection and their assembly into packets.
//
// A packet never exceeds 180 bytes, and neither may the module's foreseen answer to it:
// 8 bytes for a read-request frame plus, per register read, its address byte and value,
// plus 8 bytes for a write-request frame. When a limit is reached the open frame is
// closed and the next packet buffer begins. When all three buffers are used, the
// requests that did not fit stay flagged (with their summary flag) for the next send;
// the Written flags of RegisterValues tell the host which writes went out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "protocol/answer_match.h"
#include "protocol/frame.h"
#include "protocol/register_layout.h"
#include "protocol/register_map.h"

namespace kravent {

inline constexpr std::size_t kPacketBufferCount = 3;

// One flag per entry of the read, repetitive and write lists, the values to write in
// host form (kWriteAreaLayout), and a summary flag per list.
struct PendingRequests {
    std::array<bool, kReadCount> read{};
    std::array<bool, kRepetitiveCount> repetitive{};
    std::array<bool, kWriteCount> write{};
    alignas(4) std::uint8_t writeValue[kWriteAreaSize] = {};
    bool readRequest = false;
    bool repetitiveRequest = false;
    bool writeRequest = false;

    void Read(int readIndex);
    void Repetitive(int repetitiveIndex);
    // A value of another size than the register's host form is not stored; the flag is.
    void Write(int writeIndex, const void* value, std::size_t size);
    void AllReads();
    void ClearReads();
    void ClearRepetitive();
};

// The packets of one exchange.
struct PacketSet {
    std::uint8_t buffer[kPacketBufferCount][wire::kPacketSize] = {};
    std::int32_t length[kPacketBufferCount] = {};
    std::int32_t count = 0;
    std::int32_t answerEstimate = 0;  // foreseen answer size of the last packet
    // What each packet reads and writes, for telling its answer from other frames.
    AskedRegisters asked[kPacketBufferCount] = {};
};

// Packs the flagged reads, then the flagged writes, and clears the flags of what went
// in; the Written flags of `record` name exactly the writes packed. With nothing
// flagged, `packets` holds no packet and its buffers are left as they were.
void AssemblePackets(PendingRequests& requests, PacketSet& packets, ::RegisterValues& record);

// The read request of the whole repetitive set, in one packet; the set stays flagged.
// Clears the Written flags of `record`, as every assembly does.
void AssembleRepetitivePacket(const PendingRequests& requests, PacketSet& packets, ::RegisterValues& record);

}  // namespace kravent
