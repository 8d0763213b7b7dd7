// Frame layout and checksum, shared by the TCP main port and the UDP service port.
// A frame is a six-byte header (type, a second word, payload length N), N payload
// bytes and a 16-bit checksum over header and payload; every field is big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kravent::wire {

inline constexpr std::size_t kHeaderSize = 6;
inline constexpr std::size_t kChecksumSize = 2;
inline constexpr std::size_t kPacketSize = 180;     // one packet buffer, one send
inline constexpr std::size_t kMaxFrameSize = 1080;  // largest frame the receive side rebuilds

enum FrameType : std::uint16_t {
    kReadRequest = 0x0021,
    kWriteRequest = 0x0022,
    kReadAnswer = 0x0023,
    kChangeIpAddress = 0x002A,
};

inline constexpr std::uint16_t kMainPortWord = 0x0000;
inline constexpr std::uint16_t kChangeIpWord = 0x0001;

inline void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}
inline std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Ones' complement sum of the ones' complements of the big-endian 16-bit words;
// an odd last byte is the high byte of a word whose low byte is 0. Empty: 0x0000.
std::uint16_t FrameChecksum(const std::uint8_t* bytes, std::size_t length);

// Writes type, second word and a payload length of 0 at `frame`.
void WriteHeader(std::uint8_t* frame, std::uint16_t type, std::uint16_t word = kMainPortWord);

// Completes the frame at `frame` whose payload has `payloadLength` bytes: stores the
// length in the header and the checksum behind the payload. Returns the frame size.
std::size_t CloseFrame(std::uint8_t* frame, std::size_t payloadLength);

// True when the frame at `frame`, with `payloadLength` payload bytes, carries a matching checksum behind its payload.
bool ChecksumMatches(const std::uint8_t* frame, std::size_t payloadLength);

}  // namespace kravent::wire
