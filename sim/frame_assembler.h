// Rebuilds frames from a byte stream that arrives in pieces of any size, by the
// payload length of each header. Frames with a bad checksum are dropped and
// counted; a frame longer than the buffer is skipped whole, so the stream stays
// aligned on frame boundaries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "protocol/frame.h"

namespace kravent::sim {

class FrameAssembler {
public:
    // Feeds `size` bytes; calls onFrame(const uint8_t* frame, size_t frameSize) for
    // every complete frame with a matching checksum, in stream order.
    template <typename OnFrame>
    void Feed(const std::uint8_t* data, std::size_t size, OnFrame&& onFrame) {
        for (std::size_t i = 0; i < size;) {
            if (skipping_ > 0) {
                const std::size_t n = size - i < skipping_ ? size - i : skipping_;
                skipping_ -= n;
                i += n;
                continue;
            }
            buffer_[filled_++] = data[i++];
            if (filled_ == wire::kHeaderSize) {
                const std::size_t total = wire::kHeaderSize + wire::GetU16(buffer_.data() + 4) + wire::kChecksumSize;
                if (total > buffer_.size()) {
                    ++oversized_;
                    skipping_ = total - wire::kHeaderSize;
                    filled_ = 0;
                    continue;
                }
                wanted_ = total;
            }
            if (filled_ > wire::kHeaderSize && filled_ == wanted_) {
                const std::size_t payload = wanted_ - wire::kHeaderSize - wire::kChecksumSize;
                filled_ = 0;
                if (!wire::ChecksumMatches(buffer_.data(), payload)) {
                    ++checksumErrors_;
                    continue;
                }
                onFrame(static_cast<const std::uint8_t*>(buffer_.data()), wanted_);
            }
        }
    }

    std::size_t checksumErrors() const { return checksumErrors_; }
    std::size_t oversizedFrames() const { return oversized_; }

private:
    std::array<std::uint8_t, wire::kMaxFrameSize> buffer_{};
    std::size_t filled_ = 0;
    std::size_t wanted_ = 0;
    std::size_t skipping_ = 0;
    std::size_t checksumErrors_ = 0;
    std::size_t oversized_ = 0;
};

}  // namespace kravent::sim
