// Frames rebuilt from a byte stream that arrives in pieces of any size, by the length
// field of each header, and checked by their checksums. Both ends of the main port use
// it: the host for answers, the simulated module for requests.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/frame.h"

namespace kravent {

enum class FrameFailure : std::uint8_t {
    None,
    FrameTooLong,   // a header announced more than the frame buffer holds; it is refused
    ChecksumError,  // a rebuilt frame's checksum did not match; the frame is dropped
};

// How far one call of Take went, with its failure told as `Failure`.
template <typename Failure>
struct TakeStep {
    std::size_t taken = 0;  // bytes consumed
    Failure failure = Failure::None;
    // FrameTooLong: the announced payload length; ChecksumError: the errors so far.
    std::int32_t number = 0;
    // A whole frame ended with this step (with a matching checksum unless failure is
    // ChecksumError): header and payload, valid until the next Take.
    const std::uint8_t* frame = nullptr;
    std::size_t frameLength = 0;
};
using FrameStep = TakeStep<FrameFailure>;

// What a refused header or a failed checksum does to the frame boundaries.
enum class Realignment : std::uint8_t {
    // The boundaries are searched for byte by byte: one wrong length must not hide the
    // answers behind it.
    Search,
    // The announced frame is skipped whole and the boundaries are kept, as a module
    // does with what a host sends it.
    Keep,
};

class FrameReassembler {
public:
    explicit FrameReassembler(Realignment realignment = Realignment::Search) : realignment_(realignment) {}

    // Takes bytes until they are all taken, a frame is complete or something fails.
    FrameStep Take(const std::uint8_t* bytes, std::size_t count);
    // Forgets the bytes of a frame not yet complete (left over from an earlier answer).
    void DropPartial() {
        Reset();
        skipping_ = 0;
        resynchronising_ = false;
    }

    std::int32_t ChecksumErrors() const { return checksumErrors_; }
    // The frame under reassembly: bytes held, bytes still wanted for the current part,
    // and whether the header is complete.
    std::size_t Held() const { return fill_; }
    std::size_t Wanted() const { return wanted_; }
    bool InBody() const { return inBody_; }
    static constexpr std::size_t kCapacity = wire::kMaxFrameSize;

private:
    void Reset();
    // Gives up the first byte of a refused header and looks for a header from the next.
    void SlideHeader();
    // Held to while frame boundaries are being searched for after a failure.
    bool LooksLikeFrameStart() const;

    Realignment realignment_;
    std::uint8_t frame_[kCapacity] = {};
    std::size_t fill_ = 0;
    std::size_t wanted_ = wire::kHeaderSize;
    bool inBody_ = false;
    std::size_t skipping_ = 0;  // bytes of a refused frame still to pass over (Keep)
    // Set after a refused header or a failed checksum until a frame checks out (Search):
    // headers are then taken only where a frame plausibly starts, and a bad stretch
    // reports once.
    bool resynchronising_ = false;
    std::int32_t checksumErrors_ = 0;
};

// How many frames of a stretch failed, by kind.
struct FrameFailures {
    std::size_t checksumErrors = 0;
    std::size_t tooLong = 0;
};

// Takes all `count` bytes and calls onFrame(frame, size) for every frame with a matching
// checksum, the size counting its checksum.
template <typename OnFrame>
FrameFailures TakeFrames(FrameReassembler& reassembler, const std::uint8_t* bytes, std::size_t count,
                         OnFrame&& onFrame) {
    FrameFailures failures;
    for (std::size_t at = 0; at < count;) {
        const FrameStep step = reassembler.Take(bytes + at, count - at);
        at += step.taken;
        if (step.failure == FrameFailure::ChecksumError) ++failures.checksumErrors;
        else if (step.failure == FrameFailure::FrameTooLong) ++failures.tooLong;
        else if (step.frame != nullptr) onFrame(step.frame, step.frameLength + wire::kChecksumSize);
    }
    return failures;
}

}  // namespace kravent
