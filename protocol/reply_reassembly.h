// The receive side of the main port: frames rebuilt from the byte stream by their
// length fields and checked by their checksums, and read answers decoded into the
// RegisterValues record. What goes wrong comes back as a value; nothing is logged here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "protocol/frame.h"
#include "protocol/register_map.h"

namespace kravent {

enum class ReplyFailure : std::uint8_t {
    None,
    FrameTooLong,     // a header announced more than the frame buffer holds; it is refused
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
    // A whole frame ended with this step (with a matching checksum unless failure is
    // ChecksumError): header and payload, valid until the next Take.
    const std::uint8_t* frame = nullptr;
    std::size_t frameLength = 0;
};

// Decodes the items of a read answer (header and payload, `frameLength` bytes) into
// `record`, setting each decoded register's Received flag.
ReplyFailure DecodeReadAnswer(const std::uint8_t* frame, std::size_t frameLength, ::RegisterValues& record);

// Decodes a frame that Take completed with a matching checksum: read answers with a
// payload go into `record`, every other frame changes nothing.
ReplyFailure DecodeAnswerFrame(const std::uint8_t* frame, std::size_t frameLength, ::RegisterValues& record);

// Clears the Received flag of every readable register.
void ClearReceivedFlags(::RegisterValues& record);

// The Received flags of a record, in read-list order, to be put back after the record
// has shown something else for a while.
using ReceivedFlags = std::array<std::uint8_t, kReadCount>;
ReceivedFlags SaveReceivedFlags(const ::RegisterValues& record);
void RestoreReceivedFlags(::RegisterValues& record, const ReceivedFlags& flags);

class ReplyReassembler {
public:
    // Takes bytes until they are all taken, a frame is complete or something fails.
    ReplyStep Take(const std::uint8_t* bytes, std::size_t count);
    // Forgets the bytes of a frame not yet complete (left over from an earlier answer).
    void DropPartial() {
        Reset();
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

    std::uint8_t frame_[kCapacity] = {};
    std::size_t fill_ = 0;
    std::size_t wanted_ = wire::kHeaderSize;
    bool inBody_ = false;
    // Set after a refused header or a failed checksum until a frame checks out: headers
    // are then taken only where a frame plausibly starts, and a bad stretch reports once.
    bool resynchronising_ = false;
    std::int32_t checksumErrors_ = 0;
};

}  // namespace kravent
