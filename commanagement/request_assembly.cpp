// Turns the pending requests of a connection into ready-to-send packets.
//
// A packet never exceeds 180 bytes, and neither may the module's foreseen answer to it:
// 8 bytes for a read-request frame plus, per register read, its address byte and value,
// plus 8 bytes for a write-request frame. When a limit is reached the open frame is
// closed and the next packet buffer begins. When all three buffers are used, the
// requests that did not fit stay flagged (with their summary flag) for the next send;
// the Written flags of RegisterValues tell the host which writes went out.
#include <cstring>
#include <mutex>

#include "commanagement/com_management.h"
#include "commanagement/value_codec.h"

namespace kravent {

namespace {

constexpr std::int32_t kPacketLimit = static_cast<std::int32_t>(wire::kPacketSize);
constexpr std::int32_t kAnswerLimit = static_cast<std::int32_t>(wire::kPacketSize);
constexpr std::int32_t kHeader = static_cast<std::int32_t>(wire::kHeaderSize);
constexpr std::int32_t kChecksum = static_cast<std::int32_t>(wire::kChecksumSize);
constexpr std::int32_t kFrameOverhead = kHeader + kChecksum;
constexpr std::int32_t kPacketBuffers = static_cast<std::int32_t>(kPacketBufferCount);

// A read frame holds at most one byte per readable register, so a write-request header
// and checksum always fit behind it in the same buffer.
static_assert(kFrameOverhead + static_cast<std::int32_t>(kReadCount) + kFrameOverhead <= kPacketLimit);

// The whole repetitive set is asked for in one packet.
constexpr std::int32_t RepetitiveAnswerSize() {
    std::int32_t n = kFrameOverhead;
    for (const auto i : kRepetitiveList) n += WireSize(kRegisters[i].encoding) + 1;
    return n;
}
static_assert(RepetitiveAnswerSize() <= kAnswerLimit);
static_assert(kFrameOverhead + static_cast<std::int32_t>(kRepetitiveCount) <= kPacketLimit);

template <std::size_t N>
bool AnySet(const std::array<std::atomic<bool>, N>& flags) {
    for (const auto& f : flags)
        if (f.load(std::memory_order_relaxed)) return true;
    return false;
}

}  // namespace

void CComManagement::ClearWrittenFlags() {
    auto* record = reinterpret_cast<unsigned char*>(&RegisterValues);
    for (const auto i : kWriteList) record[RecordPlaceAt(i).written] = 0;
}

void CComManagement::MarkWritten(std::size_t writeIndex) {
    reinterpret_cast<unsigned char*>(&RegisterValues)[RecordPlaceAt(kWriteList[writeIndex]).written] = 1;
}

void CComManagement::ResetAssembly() {
    PacketPos = 0;
    WriteFrameStart = 0;
    ReadPayloadLength = 0;
    WritePayloadLength = 0;
    PacketCount.store(0);
    AnswerEstimate = 0;
    PacketSizeCheck = 0;
    CurrentPacket = PacketBuffer[0];
    PacketsExhausted = false;
}

// Closes the frame whose header lies at `frameStart` of the current packet: payload
// length into its header, checksum over header and payload at PacketPos.
void CComManagement::CloseOpenFrame(std::int32_t frameStart, std::int32_t payloadLength) {
    wire::CloseFrame(CurrentPacket + frameStart, static_cast<std::size_t>(payloadLength));
}

// Ends the current packet (its open frame already closed) and opens a frame of
// `frameType` at the start of the next buffer. The caller has checked that one is left.
void CComManagement::StartNextPacket(std::uint16_t frameType) {
    const std::int32_t count = PacketCount.load();
    PacketLength[count - 1] = PacketPos + kChecksum;
    CurrentPacket = PacketBuffer[count];
    wire::WriteHeader(CurrentPacket, frameType);
    PacketPos = kHeader;
    PacketCount.store(count + 1);
}

bool CComManagement::NoPacketLeft() {
    PacketsExhausted = PacketCount.load() >= kPacketBuffers;
    return PacketsExhausted;
}

bool CComManagement::AddReadRegister(std::uint8_t address) {
    const std::int32_t answerBytes = RegisterSize(address) + 1;
    PacketSizeCheck = PacketPos + 1 + kChecksum;
    if (PacketSizeCheck > kPacketLimit || AnswerEstimate + answerBytes > kAnswerLimit) {
        if (NoPacketLeft()) return false;
        CloseOpenFrame(0, ReadPayloadLength);
        StartNextPacket(wire::kReadRequest);
        AnswerEstimate = kHeader;  // the answer's header; this register is not counted
        ReadPayloadLength = 0;
    } else {
        AnswerEstimate += answerBytes;
    }
    CurrentPacket[PacketPos++] = address;
    ++ReadPayloadLength;
    return true;
}

bool CComManagement::AddWriteRegister(std::uint8_t address) {
    PacketSizeCheck = PacketPos + RegisterSize(address) + 1 + kChecksum;
    if (PacketSizeCheck > kPacketLimit || AnswerEstimate > kAnswerLimit) {
        if (NoPacketLeft()) return false;
        CloseOpenFrame(WriteFrameStart, WritePayloadLength);
        StartNextPacket(wire::kWriteRequest);
        WritePayloadLength = 0;
        WriteFrameStart = 0;
    }
    CurrentPacket[PacketPos++] = address;
    ++WritePayloadLength;
    return true;
}

bool CComManagement::FillPacketToSend() {
    std::lock_guard<std::mutex> lock(RequestLock);
    ClearWrittenFlags();
    ResetAssembly();

    if (ReadRequest.exchange(false)) {
        wire::WriteHeader(CurrentPacket, wire::kReadRequest);
        PacketPos = kHeader;
        PacketCount.store(1);
        AnswerEstimate = kFrameOverhead;
        for (std::size_t k = 0; k < kReadCount; ++k) {
            if (!ReadFlag[k].load(std::memory_order_relaxed)) continue;
            if (!AddReadRegister(kRegisters[kReadList[k]].address)) break;
            ReadFlag[k].store(false, std::memory_order_relaxed);
        }
        CloseOpenFrame(0, ReadPayloadLength);
        PacketPos += kChecksum;
    }

    if (!PacketsExhausted && WriteRequest.exchange(false)) {
        WriteFrameStart = PacketPos;
        if (PacketPos == 0) PacketCount.store(1);
        wire::WriteHeader(CurrentPacket + WriteFrameStart, wire::kWriteRequest);
        PacketPos = WriteFrameStart + kHeader;
        AnswerEstimate += kFrameOverhead;
        for (std::size_t k = 0; k < kWriteCount; ++k) {
            if (!WriteFlag[k].load(std::memory_order_relaxed)) continue;
            const RegisterInfo& reg = kRegisters[kWriteList[k]];
            if (!AddWriteRegister(reg.address)) break;
            const int slot = kWriteAreaLayout.slot[k];
            if (slot != kAbsent) {
                wire::EncodeValue(reg.encoding, WriteValue + slot, CurrentPacket + PacketPos);
                PacketPos += WireSize(reg.encoding);
                WritePayloadLength += WireSize(reg.encoding);
            }
            MarkWritten(k);
            WriteFlag[k].store(false, std::memory_order_relaxed);
        }
        CloseOpenFrame(WriteFrameStart, WritePayloadLength);
        PacketPos += kChecksum;
        PacketLength[PacketCount.load() - 1] = PacketPos;
    } else if (PacketPos > 0) {
        PacketLength[PacketCount.load() - 1] = PacketPos;
    }

    // Whatever did not fit waits for the next send.
    ReadRequest.store(AnySet(ReadFlag), std::memory_order_relaxed);
    WriteRequest.store(AnySet(WriteFlag), std::memory_order_relaxed);
    return true;
}

bool CComManagement::FillPacketToSendContinuous() {
    std::lock_guard<std::mutex> lock(RequestLock);
    ClearWrittenFlags();
    ResetAssembly();
    if (!RepetitiveRequest.load(std::memory_order_relaxed)) return true;

    wire::WriteHeader(CurrentPacket, wire::kReadRequest);
    PacketPos = kHeader;
    PacketCount.store(1);
    AnswerEstimate = kFrameOverhead;
    for (std::size_t k = 0; k < kRepetitiveCount; ++k)
        if (RepetitiveFlag[k].load(std::memory_order_relaxed)) AddReadRegister(kRegisters[kRepetitiveList[k]].address);
    CloseOpenFrame(0, ReadPayloadLength);
    PacketPos += kChecksum;
    PacketLength[0] = PacketPos;
    return true;
}

}  // namespace kravent
