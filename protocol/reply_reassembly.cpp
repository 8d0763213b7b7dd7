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

void ReplyReassembler::Reset() {
    fill_ = 0;
    inBody_ = false;
    wanted_ = wire::kHeaderSize;
}

bool ReplyReassembler::LooksLikeFrameStart() const {
    // Every frame of the main port has a type below 0x100 and a second word of 0.
    return frame_[0] == 0 && wire::GetU16(frame_ + 2) == wire::kMainPortWord;
}

void ReplyReassembler::SlideHeader() {
    std::copy(frame_ + 1, frame_ + wire::kHeaderSize, frame_);
    fill_ = wire::kHeaderSize - 1;
    wanted_ = 1;
}

ReplyStep ReplyReassembler::Take(const std::uint8_t* bytes, std::size_t count) {
    ReplyStep step;
    std::size_t& i = step.taken;
    while (i < count) {
        frame_[fill_++] = bytes[i++];
        if (--wanted_ != 0) continue;

        const std::size_t payload = wire::GetU16(frame_ + 4);
        if (!inBody_) {
            const bool tooLong = payload > kMaxPayload;
            if (tooLong || (resynchronising_ && !LooksLikeFrameStart())) {
                // The stream has lost its frame boundaries: the next byte is tried as the
                // start of a header instead of waiting for (or skipping) the bytes that a
                // wrong length announced. One lost stretch is reported once.
                const bool report = tooLong && !resynchronising_;
                SlideHeader();
                resynchronising_ = true;
                if (!report) continue;
                step.failure = ReplyFailure::FrameTooLong;
                step.number = static_cast<std::int32_t>(payload);
                return step;
            }
            wanted_ = payload + wire::kChecksumSize;
            inBody_ = true;
            continue;
        }
        const std::size_t length = payload + wire::kHeaderSize;
        step.frame = frame_;
        step.frameLength = length;
        // A checksum that fails may mean a length that lied: the next header must then
        // look like the start of a frame.
        resynchronising_ = !wire::ChecksumMatches(frame_, payload);
        if (resynchronising_) {
            step.failure = ReplyFailure::ChecksumError;
            step.number = ++checksumErrors_;
        }
        // The frame stays readable in frame_ until the next Take overwrites it.
        fill_ = 0;
        inBody_ = false;
        wanted_ = wire::kHeaderSize;
        return step;
    }
    return step;
}

}  // namespace kravent
