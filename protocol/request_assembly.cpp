#include "protocol/request_assembly.h"

#include <cstring>

#include "protocol/value_codec.h"

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
bool AnySet(const std::array<bool, N>& flags) {
    for (const bool f : flags)
        if (f) return true;
    return false;
}

void ClearWrittenFlags(::RegisterValues& record) {
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (const auto i : kWriteList) bytes[RecordPlaceAt(i).written] = 0;
}

void MarkWritten(::RegisterValues& record, std::size_t writeIndex) {
    reinterpret_cast<unsigned char*>(&record)[RecordPlaceAt(kWriteList[writeIndex]).written] = 1;
}

// The work of one assembly: the packet being filled and the frame open in it.
class Assembly {
public:
    explicit Assembly(PacketSet& packets) : packets_(packets) {
        packets_.count = 0;
        packets_.answerEstimate = 0;
        for (AskedRegisters& asked : packets_.asked) asked = {};
    }

    // Opens the read frame of the first packet.
    void OpenReads() {
        wire::WriteHeader(current_, wire::kReadRequest);
        pos_ = kHeader;
        packets_.count = 1;
        packets_.answerEstimate = kFrameOverhead;
    }
    // Closes the read frame; what follows starts behind its checksum.
    void CloseReads() {
        wire::CloseFrame(current_, static_cast<std::size_t>(readPayload_));
        pos_ += kChecksum;
    }
    bool AddRead(std::uint8_t address) {
        const std::int32_t answerBytes = RegisterSize(address) + 1;
        if (pos_ + 1 + kChecksum > kPacketLimit || packets_.answerEstimate + answerBytes > kAnswerLimit) {
            if (NoPacketLeft()) return false;
            wire::CloseFrame(current_, static_cast<std::size_t>(readPayload_));
            StartNextPacket(wire::kReadRequest);
            packets_.answerEstimate = kHeader;  // the answer's header; this register is not counted
            readPayload_ = 0;
        } else {
            packets_.answerEstimate += answerBytes;
        }
        current_[pos_++] = address;
        ++readPayload_;
        packets_.asked[packets_.count - 1].reads |= RegisterBit(RegisterIndex(address));
        return true;
    }

    // Opens the write frame behind whatever the current packet holds.
    void OpenWrites() {
        writeStart_ = pos_;
        if (pos_ == 0) packets_.count = 1;
        wire::WriteHeader(current_ + writeStart_, wire::kWriteRequest);
        pos_ = writeStart_ + kHeader;
        packets_.answerEstimate += kFrameOverhead;
    }
    // Adds the item of write-list entry `k` with its value from `values`.
    bool AddWrite(std::size_t k, const std::uint8_t* values) {
        const RegisterInfo& reg = kRegisters[kWriteList[k]];
        if (pos_ + WireSize(reg.encoding) + 1 + kChecksum > kPacketLimit || packets_.answerEstimate > kAnswerLimit) {
            if (NoPacketLeft()) return false;
            wire::CloseFrame(current_ + writeStart_, static_cast<std::size_t>(writePayload_));
            StartNextPacket(wire::kWriteRequest);
            writePayload_ = 0;
            writeStart_ = 0;
        }
        current_[pos_++] = reg.address;
        ++writePayload_;
        packets_.asked[packets_.count - 1].writes |= RegisterBit(kWriteList[k]);
        const int slot = kWriteAreaLayout.slot[k];
        if (slot != kAbsent) {
            wire::EncodeValue(reg.encoding, values + slot, current_ + pos_);
            pos_ += WireSize(reg.encoding);
            writePayload_ += WireSize(reg.encoding);
        }
        return true;
    }
    void CloseWrites() {
        wire::CloseFrame(current_ + writeStart_, static_cast<std::size_t>(writePayload_));
        pos_ += kChecksum;
        EndLastPacket();
    }

    // Records the length of the last packet, if there is one.
    void EndLastPacket() {
        if (pos_ > 0) packets_.length[packets_.count - 1] = pos_;
    }
    bool Exhausted() const { return exhausted_; }

private:
    bool NoPacketLeft() {
        exhausted_ = packets_.count >= kPacketBuffers;
        return exhausted_;
    }
    // Ends the current packet (its open frame already closed) and opens a frame of
    // `frameType` at the start of the next buffer. The caller has checked that one is left.
    void StartNextPacket(std::uint16_t frameType) {
        packets_.length[packets_.count - 1] = pos_ + kChecksum;
        current_ = packets_.buffer[packets_.count];
        wire::WriteHeader(current_, frameType);
        pos_ = kHeader;
        ++packets_.count;
    }

    PacketSet& packets_;
    std::uint8_t* current_ = packets_.buffer[0];
    std::int32_t pos_ = 0;
    std::int32_t writeStart_ = 0;
    std::int32_t readPayload_ = 0;
    std::int32_t writePayload_ = 0;
    bool exhausted_ = false;  // a further packet was needed but all three are used
};

}  // namespace

void PendingRequests::Read(int readIndex) {
    read[static_cast<std::size_t>(readIndex)] = true;
    readRequest = true;
}

void PendingRequests::Repetitive(int repetitiveIndex) {
    repetitive[static_cast<std::size_t>(repetitiveIndex)] = true;
    repetitiveRequest = true;
}

void PendingRequests::Write(int writeIndex, const void* value, std::size_t size) {
    const auto k = static_cast<std::size_t>(writeIndex);
    const int slot = kWriteAreaLayout.slot[k];
    if (slot != kAbsent && size == wire::HostSize(kRegisters[kWriteList[k]].encoding))
        std::memcpy(writeValue + slot, value, size);
    write[k] = true;
    writeRequest = true;
}

void PendingRequests::AllReads() {
    read.fill(true);
    readRequest = true;
}

void PendingRequests::ClearReads() {
    read.fill(false);
    readRequest = false;
}

void PendingRequests::ClearRepetitive() {
    repetitive.fill(false);
    repetitiveRequest = false;
}

void AssemblePackets(PendingRequests& requests, PacketSet& packets, ::RegisterValues& record) {
    ClearWrittenFlags(record);
    Assembly assembly(packets);

    const bool reads = requests.readRequest;
    requests.readRequest = false;
    if (reads) {
        assembly.OpenReads();
        for (std::size_t k = 0; k < kReadCount; ++k) {
            if (!requests.read[k]) continue;
            if (!assembly.AddRead(kRegisters[kReadList[k]].address)) break;
            requests.read[k] = false;
        }
        assembly.CloseReads();
    }

    bool writes = false;
    if (!assembly.Exhausted()) {
        writes = requests.writeRequest;
        requests.writeRequest = false;
    }
    if (writes) {
        assembly.OpenWrites();
        for (std::size_t k = 0; k < kWriteCount; ++k) {
            if (!requests.write[k]) continue;
            if (!assembly.AddWrite(k, requests.writeValue)) break;
            MarkWritten(record, k);
            requests.write[k] = false;
        }
        assembly.CloseWrites();
    } else {
        assembly.EndLastPacket();
    }

    // Whatever did not fit waits for the next send.
    requests.readRequest = AnySet(requests.read);
    requests.writeRequest = AnySet(requests.write);
}

void AssembleRepetitivePacket(const PendingRequests& requests, PacketSet& packets, ::RegisterValues& record) {
    ClearWrittenFlags(record);
    Assembly assembly(packets);
    if (!requests.repetitiveRequest) return;
    assembly.OpenReads();
    for (std::size_t k = 0; k < kRepetitiveCount; ++k)
        if (requests.repetitive[k]) assembly.AddRead(kRegisters[kRepetitiveList[k]].address);
    assembly.CloseReads();
    assembly.EndLastPacket();
}

}  // namespace kravent
