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

ReceivedFlags SaveReceivedFlags(const ::RegisterValues& record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    ReceivedFlags flags{};
    for (std::size_t k = 0; k < kReadCount; ++k) flags[k] = bytes[RecordPlaceAt(kReadList[k]).received];
    return flags;
}

void RestoreReceivedFlags(::RegisterValues& record, const ReceivedFlags& flags) {
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (std::size_t k = 0; k < kReadCount; ++k) bytes[RecordPlaceAt(kReadList[k]).received] = flags[k];
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

ReplyFailure DecodeAnswerFrame(const std::uint8_t* frame, std::size_t frameLength, ::RegisterValues& record) {
    if (frameLength > wire::kHeaderSize && wire::GetU16(frame) == wire::kReadAnswer)
        return DecodeReadAnswer(frame, frameLength, record);
    return ReplyFailure::None;
}

ReplyStep ReplyReassembler::Take(const std::uint8_t* bytes, std::size_t count) {
    const FrameStep step = FrameReassembler::Take(bytes, count);
    ReplyFailure failure = ReplyFailure::None;
    if (step.failure == FrameFailure::FrameTooLong) failure = ReplyFailure::FrameTooLong;
    if (step.failure == FrameFailure::ChecksumError) failure = ReplyFailure::ChecksumError;
    return {step.taken, failure, step.number, step.frame, step.frameLength};
}

}  // namespace kravent
