// The ICMP echo: the message codec (pure, over buffers) and one exchange over a given
// kind of socket.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kravent::platform::detail {

inline constexpr std::size_t kEchoHeaderSize = 8;
inline constexpr std::uint8_t kEchoRequestType = 8;
inline constexpr std::uint8_t kEchoReplyType = 0;

// The Internet checksum (ones' complement sum of 16-bit big-endian words).
std::uint16_t InternetChecksum(const std::uint8_t* data, std::size_t length);

// Writes an echo request with its checksum into `out`; returns its length, 0 when it
// does not fit.
std::size_t BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence, const std::uint8_t* payload,
                             std::size_t payloadLength, std::uint8_t* out, std::size_t capacity);

// True when `message` (ICMP, without IP header) is a sound echo reply to the request of
// that sequence and payload, and, when `checkIdentifier`, of that identifier.
bool IsEchoReplyTo(const std::uint8_t* message, std::size_t length, bool checkIdentifier, std::uint16_t identifier,
                   std::uint16_t sequence, const std::uint8_t* payload, std::size_t payloadLength);

// The ICMP message inside an IPv4 packet as a raw socket receives it; nullptr when the
// packet is malformed.
const std::uint8_t* IcmpInIpPacket(const std::uint8_t* packet, std::size_t length, std::size_t& icmpLength);

// A ping socket needs net.ipv4.ping_group_range to admit the process; a raw socket needs
// the privilege to open one.
enum class EchoSocket { Ping, Raw };
enum class EchoOutcome { Answered, NotAnswered, SocketUnavailable };

EchoOutcome EchoOver(EchoSocket kind, const char* ipText, std::uint32_t timeoutMs);

}  // namespace kravent::platform::detail
