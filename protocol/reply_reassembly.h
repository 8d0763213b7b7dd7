// The receive side of the main port: frames rebuilt from the byte stream by their
// length fields, checked by their checksums, and read answers decoded into the
// RegisterValues record. What goes wrong comes back as a value; nothing is logged here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "protocol/frame.h"

namespace kravent {

enum class ReplyFailure : std::uint8_t {
    None,
    FrameTooLong,     // a header announced more than the frame buffer holds; its bytes are skipped
    ChecksumError,    // a rebuilt frame's checksum did not match; the frame is dropped
    UnknownRegister,  // a read answer named an address that is not readable; the rest is not decoded
    ValueIncomplete,  // a read answer's last value ran into the checksum; it is not decoded
};

// How far one call of ReplyReassembler::Take went.
struct ReplyStep {
    std::size_t taken = 0;  // bytes consumed
    ReplyFailure failure = ReplyFailure::None;
    // FrameTooLong: the announced payload length; ChecksumError: the errors so far.
    std::int32_t number = 0;
};

// Decodes the items of a read answer (header and payload, `frameLength` bytes) into
// `record`, setting each decoded register's Received flag.
ReplyFailure DecodeReadAnswer(const std::uint8_t* frame, std::size_t frameLength, ::RegisterValues& record);

// Clears the Received flag of every readable register.
void ClearReceivedFlags(::RegisterValues& record);

class ReplyReassembler {
public:
    // Takes bytes until they are all taken or something fails; every read answer
    // completed on the way is decoded into `record`.
    ReplyStep Take(const std::uint8_t* bytes, std::size_t count, ::RegisterValues& record);

    std::int32_t ChecksumErrors() const { return checksumErrors_; }
    // The frame under reassembly: bytes held, bytes still wanted for the current part,
    // and whether the header is complete or an oversize frame is being skipped.
    std::size_t Held() const { return fill_; }
    std::size_t Wanted() const { return wanted_; }
    bool InBody() const { return inBody_; }
    bool Skipping() const { return skipping_; }
    static constexpr std::size_t kCapacity = wire::kMaxFrameSize;

private:
    void Reset();
    ReplyFailure CompleteFrame(::RegisterValues& record);

    std::uint8_t frame_[kCapacity] = {};
    std::size_t fill_ = 0;
    std::size_t wanted_ = wire::kHeaderSize;
    bool inBody_ = false;
    bool skipping_ = false;
    std::int32_t checksumErrors_ = 0;
};

}  // namespace kravent
