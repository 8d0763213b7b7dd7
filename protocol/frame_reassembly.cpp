#include "protocol/frame_reassembly.h"

#include <algorithm>

namespace kravent {

namespace {

// The largest payload whose frame, checksum included, still fits the frame buffer.
constexpr std::size_t kMaxPayload = FrameReassembler::kCapacity - wire::kHeaderSize - wire::kChecksumSize;

}  // namespace

void FrameReassembler::Reset() {
    fill_ = 0;
    inBody_ = false;
    wanted_ = wire::kHeaderSize;
}

bool FrameReassembler::LooksLikeFrameStart() const {
    // Every frame of the main port has a type below 0x100 and a second word of 0.
    return frame_[0] == 0 && wire::GetU16(frame_ + 2) == wire::kMainPortWord;
}

void FrameReassembler::SlideHeader() {
    std::copy(frame_ + 1, frame_ + wire::kHeaderSize, frame_);
    fill_ = wire::kHeaderSize - 1;
    wanted_ = 1;
}

FrameStep FrameReassembler::Take(const std::uint8_t* bytes, std::size_t count) {
    FrameStep step;
    std::size_t& i = step.taken;
    while (i < count) {
        if (skipping_ > 0) {
            const std::size_t n = std::min(skipping_, count - i);
            skipping_ -= n;
            i += n;
            continue;
        }
        frame_[fill_++] = bytes[i++];
        if (--wanted_ != 0) continue;

        const std::size_t payload = wire::GetU16(frame_ + 4);
        if (!inBody_) {
            const bool tooLong = payload > kMaxPayload;
            if (tooLong && realignment_ == Realignment::Keep) {
                skipping_ = payload + wire::kChecksumSize;
                Reset();
                step.failure = FrameFailure::FrameTooLong;
                step.number = static_cast<std::int32_t>(payload);
                return step;
            }
            if (tooLong || (resynchronising_ && !LooksLikeFrameStart())) {
                // The stream has lost its frame boundaries: the next byte is tried as the
                // start of a header instead of waiting for (or skipping) the bytes that a
                // wrong length announced. One lost stretch is reported once.
                const bool report = tooLong && !resynchronising_;
                SlideHeader();
                resynchronising_ = true;
                if (!report) continue;
                step.failure = FrameFailure::FrameTooLong;
                step.number = static_cast<std::int32_t>(payload);
                return step;
            }
            wanted_ = payload + wire::kChecksumSize;
            inBody_ = true;
            continue;
        }
        step.frame = frame_;
        step.frameLength = payload + wire::kHeaderSize;
        const bool intact = wire::ChecksumMatches(frame_, payload);
        // A checksum that fails may mean a length that lied: the next header must then
        // look like the start of a frame.
        resynchronising_ = !intact && realignment_ == Realignment::Search;
        if (!intact) {
            step.failure = FrameFailure::ChecksumError;
            step.number = ++checksumErrors_;
        }
        // The frame stays readable in frame_ until the next Take overwrites it.
        Reset();
        return step;
    }
    return step;
}

}  // namespace kravent
