#include "protocol/answer_match.h"

#include "protocol/frame.h"
#include "protocol/register_map.h"

namespace kravent {

static_assert(kRegisters.size() <= 64);

bool FrameAnswers(const AskedRegisters& asked, const std::uint8_t* frame, std::size_t frameLength) {
    const bool namesRegisters = frameLength > wire::kHeaderSize && wire::GetU16(frame) == wire::kReadAnswer;
    if (!namesRegisters) return asked.writes != 0;
    const std::uint64_t wanted = asked.reads | asked.writes;
    for (std::size_t pos = wire::kHeaderSize; pos < frameLength;) {
        const int reg = RegisterIndex(frame[pos++]);
        if (reg == kNoIndex) return false;
        if ((wanted & RegisterBit(reg)) != 0) return true;
        pos += static_cast<std::size_t>(WireSize(kRegisters[static_cast<std::size_t>(reg)].encoding));
    }
    return false;
}

}  // namespace kravent
