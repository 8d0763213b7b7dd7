#include "protocol/frame.h"

namespace kravent::wire {

std::uint16_t FrameChecksum(const std::uint8_t* bytes, std::size_t length) {
    std::uint32_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < length; i += 2) sum += 0xFFFFu - ((std::uint32_t{bytes[i]} << 8) | bytes[i + 1]);
    if (i < length) sum += 0xFFFFu - (std::uint32_t{bytes[i]} << 8);
    sum = (sum >> 16) + (sum & 0xFFFFu);
    sum = (sum >> 16) + (sum & 0xFFFFu);
    return static_cast<std::uint16_t>(sum);
}

void WriteHeader(std::uint8_t* frame, std::uint16_t type, std::uint16_t word) {
    PutU16(frame, type);
    PutU16(frame + 2, word);
    PutU16(frame + 4, 0);
}

std::size_t CloseFrame(std::uint8_t* frame, std::size_t payloadLength) {
    PutU16(frame + 4, static_cast<std::uint16_t>(payloadLength));
    const std::size_t covered = kHeaderSize + payloadLength;
    PutU16(frame + covered, FrameChecksum(frame, covered));
    return covered + kChecksumSize;
}

bool ChecksumMatches(const std::uint8_t* frame, std::size_t payloadLength) {
    const std::size_t covered = kHeaderSize + payloadLength;
    return FrameChecksum(frame, covered) == GetU16(frame + covered);
}

}  // namespace kravent::wire
