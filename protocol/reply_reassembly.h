// The receive side of the main port: frames rebuilt from the byte stream (see
// frame_reassembly.h), and read answers decoded into the RegisterValues record. What
// goes wrong comes back as a value; nothing is logged here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "protocol/frame.h"
#include "protocol/frame_reassembly.h"
#include "protocol/register_map.h"

namespace kravent {

// The failures of the reassembly, and those of decoding a read answer.
enum class ReplyFailure : std::uint8_t {
    None,
    FrameTooLong,     // as FrameFailure::FrameTooLong
    ChecksumError,    // as FrameFailure::ChecksumError
    UnknownRegister,  // a read answer named an address that is not readable; the rest is not decoded
    ValueIncomplete,  // a read answer's last value ran into the checksum; it is not decoded
};

using ReplyStep = TakeStep<ReplyFailure>;

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

// The main port's framer as the host reads answers with it, its failures in the terms
// of the reply side.
class ReplyReassembler : private FrameReassembler {
public:
    ReplyStep Take(const std::uint8_t* bytes, std::size_t count);
    using FrameReassembler::ChecksumErrors;
    using FrameReassembler::DropPartial;
    using FrameReassembler::Held;
    using FrameReassembler::InBody;
    using FrameReassembler::kCapacity;
    using FrameReassembler::Wanted;
};

}  // namespace kravent
