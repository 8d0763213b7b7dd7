#include "protocol/answer_match.h"

#include "protocol/frame.h"
#include "protocol/register_map.h"

namespace kravent {

namespace {

constexpr std::uint64_t Bit(int registerIndex) { return std::uint64_t{1} << registerIndex; }
static_assert(kRegisters.size() <= 64);

}  // namespace

AskedRegisters RegistersAskedBy(const std::uint8_t* packet, std::size_t length) {
    AskedRegisters asked;
    std::size_t at = 0;
    while (at + wire::kHeaderSize <= length) {
        const std::uint16_t type = wire::GetU16(packet + at);
        const std::size_t end = at + wire::kHeaderSize + wire::GetU16(packet + at + 4);
        if (end > length) break;
        for (std::size_t pos = at + wire::kHeaderSize; pos < end;) {
            const int reg = RegisterIndex(packet[pos++]);
            if (reg == kNoIndex) break;
            if (type == wire::kReadRequest) {
                asked.reads |= Bit(reg);
            } else if (type == wire::kWriteRequest) {
                asked.writes |= Bit(reg);
                pos += static_cast<std::size_t>(WireSize(kRegisters[static_cast<std::size_t>(reg)].encoding));
            }
        }
        at = end + wire::kChecksumSize;
    }
    return asked;
}

bool FrameAnswers(const AskedRegisters& asked, const std::uint8_t* frame, std::size_t frameLength) {
    const bool namesRegisters = frameLength > wire::kHeaderSize && wire::GetU16(frame) == wire::kReadAnswer;
    if (!namesRegisters) return asked.writes != 0;
    const std::uint64_t wanted = asked.reads | asked.writes;
    for (std::size_t pos = wire::kHeaderSize; pos < frameLength;) {
        const int reg = RegisterIndex(frame[pos++]);
        if (reg == kNoIndex) return false;
        if ((wanted & Bit(reg)) != 0) return true;
        pos += static_cast<std::size_t>(WireSize(kRegisters[static_cast<std::size_t>(reg)].encoding));
    }
    return false;
}

}  // namespace kravent
