#include "protocol/reply_reassembly.h"

#include <algorithm>
#include <array>

#include "protocol/register_layout.h"
#include "protocol/register_map.h"
#include "protocol/value_codec.h"

namespace kravent {

namespace {

// The largest payload whose frame, checksum included, still fits the frame buffer.
constexpr std::size_t kMaxPayload = wire::kMaxFrameSize - wire::kHeaderSize - wire::kChecksumSize;

// kRegisters index of each readable register by address, kNoIndex for all others.
constexpr std::array<std::int8_t, 256> ReadableByAddress() {
    std::array<std::int8_t, 256> out{};
    out.fill(static_cast<std::int8_t>(kNoIndex));
    for (const auto i : kReadList) out[kRegisters[i].address] = static_cast<std::int8_t>(i);
    return out;
}
constexpr auto kReadableByAddress = ReadableByAddress();

}  // namespace

void ClearReceivedFlags(::RegisterValues& record) {
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (const auto i : kReadList) bytes[RecordPlaceAt(i).received] = 0;
}

ReplyFailure DecodeReadAnswer(const std::uint8_t* frame, std::size_t frameLength, ::RegisterValues& record) {
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    const std::size_t end = std::min(frameLength, wire::kHeaderSize + kMaxPayload);
    std::size_t pos = wire::kHeaderSize;
    while (pos < end) {
        const int reg = kReadableByAddress[frame[pos++]];
        if (reg == kNoIndex) return ReplyFailure::UnknownRegister;
        const Encoding encoding = kRegisters[static_cast<std::size_t>(reg)].encoding;
        const auto size = static_cast<std::size_t>(WireSize(encoding));
        // A value that would run into the checksum: nothing of it is taken.
        if (pos + size > end) return ReplyFailure::ValueIncomplete;
        const RecordPlace& place = RecordPlaceAt(static_cast<std::size_t>(reg));
        wire::DecodeValue(encoding, frame + pos, bytes + place.value);
        bytes[place.received] = 1;
        pos += size;
    }
    return ReplyFailure::None;
}

void ReplyReassembler::Reset() {
    fill_ = 0;
    inBody_ = false;
    skipping_ = false;
    wanted_ = wire::kHeaderSize;
}

ReplyStep ReplyReassembler::Take(const std::uint8_t* bytes, std::size_t count, ::RegisterValues& record) {
    ReplyStep step;
    std::size_t& i = step.taken;
    while (i < count) {
        if (skipping_) {
            const std::size_t n = std::min(count - i, wanted_);
            i += n;
            wanted_ -= n;
            if (wanted_ == 0) Reset();
            continue;
        }
        frame_[fill_++] = bytes[i++];
        if (--wanted_ != 0) continue;

        const std::size_t payload = wire::GetU16(frame_ + 4);
        if (!inBody_) {
            wanted_ = payload + wire::kChecksumSize;
            if (payload > kMaxPayload) {
                // Too long to rebuild: drop its bytes, then read the next header.
                skipping_ = true;
                fill_ = 0;
                step.failure = ReplyFailure::FrameTooLong;
                step.number = static_cast<std::int32_t>(payload);
                return step;
            }
            inBody_ = true;
            continue;
        }
        step.failure = CompleteFrame(record);
        step.number = checksumErrors_;
        Reset();
        if (step.failure != ReplyFailure::None) return step;
    }
    return step;
}

ReplyFailure ReplyReassembler::CompleteFrame(::RegisterValues& record) {
    const std::size_t length = wire::GetU16(frame_ + 4) + wire::kHeaderSize;
    if (wire::FrameChecksum(frame_, length) != wire::GetU16(frame_ + length)) {
        ++checksumErrors_;
        return ReplyFailure::ChecksumError;
    }
    if (length > wire::kHeaderSize && wire::GetU16(frame_) == wire::kReadAnswer)
        return DecodeReadAnswer(frame_, length, record);
    return ReplyFailure::None;
}

}  // namespace kravent
