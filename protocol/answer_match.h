// Which registers a packet asks about, and whether a received frame answers it: an
// exchange ends only on a frame that answers it, never on a late answer, a copy of an
// earlier one or the first piece of one.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kravent {

// One bit per kRegisters index.
struct AskedRegisters {
    std::uint64_t reads = 0;
    std::uint64_t writes = 0;
};

constexpr std::uint64_t RegisterBit(int registerIndex) { return std::uint64_t{1} << registerIndex; }

// True when `frame` (header and payload, with a matching checksum) answers a packet
// that asked `asked`: a read answer that carries one of the registers read or written
// (a module may echo what it wrote), or, for a packet that writes, any other frame,
// which confirms the write without naming registers.
bool FrameAnswers(const AskedRegisters& asked, const std::uint8_t* frame, std::size_t frameLength);

}  // namespace kravent
