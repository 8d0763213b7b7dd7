// The ICMP echo used to tell whether an address is taken. An unprivileged ping socket is
// tried first; where the system does not admit it, a raw socket. Every failure is a
// plain "not answered".
#include "address_text.h"
#include "icmp_echo.h"
#include "platform/platform.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kravent::platform {

namespace detail {

namespace {

constexpr std::size_t kPayloadLength = 24;
constexpr std::size_t kMaxPacket = 1500;

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

void Put16(std::uint8_t* p, std::uint16_t value) {
    p[0] = static_cast<std::uint8_t>(value >> 8);
    p[1] = static_cast<std::uint8_t>(value);
}

// Identifier, sequence and payload that tell this request's reply from any other.
struct EchoTag {
    std::uint16_t identifier;
    std::uint16_t sequence;
    std::uint8_t payload[kPayloadLength];
};

EchoTag NewTag() {
    static std::atomic<std::uint32_t> counter{0};
    const std::uint32_t n = counter.fetch_add(1, std::memory_order_relaxed);
    const std::uint64_t stamp = SteadyMilliseconds() ^ (static_cast<std::uint64_t>(::getpid()) << 32) ^ n;
    EchoTag tag{};
    tag.identifier = static_cast<std::uint16_t>(::getpid() ^ (n << 7));
    tag.sequence = static_cast<std::uint16_t>(n);
    std::memcpy(tag.payload, "KRAVENT echo ", 13);
    for (std::size_t i = 13; i < kPayloadLength; ++i) {
        tag.payload[i] = static_cast<std::uint8_t>(stamp >> (8 * ((i - 13) % 8)));
    }
    return tag;
}

class FdCloser {
public:
    explicit FdCloser(int fd) : fd_(fd) {}
    ~FdCloser() {
        if (fd_ >= 0) ::close(fd_);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int fd_;
};

}  // namespace

std::uint16_t InternetChecksum(const std::uint8_t* data, std::size_t length) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < length; i += 2) sum += Get16(data + i);
    if (length % 2 != 0) sum += static_cast<std::uint32_t>(data[length - 1]) << 8;
    while ((sum >> 16) != 0) sum = (sum & 0xFFFFu) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

std::size_t BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence, const std::uint8_t* payload,
                             std::size_t payloadLength, std::uint8_t* out, std::size_t capacity) {
    if (out == nullptr || (payload == nullptr && payloadLength > 0) || capacity < kEchoHeaderSize ||
        payloadLength > capacity - kEchoHeaderSize) {
        return 0;
    }
    out[0] = kEchoRequestType;
    out[1] = 0;
    Put16(out + 2, 0);
    Put16(out + 4, identifier);
    Put16(out + 6, sequence);
    if (payloadLength > 0) std::memcpy(out + kEchoHeaderSize, payload, payloadLength);
    const std::size_t length = kEchoHeaderSize + payloadLength;
    Put16(out + 2, InternetChecksum(out, length));
    return length;
}

bool IsEchoReplyTo(const std::uint8_t* message, std::size_t length, bool checkIdentifier, std::uint16_t identifier,
                   std::uint16_t sequence, const std::uint8_t* payload, std::size_t payloadLength) {
    if (message == nullptr || length != kEchoHeaderSize + payloadLength) return false;
    if (message[0] != kEchoReplyType || message[1] != 0) return false;
    if (InternetChecksum(message, length) != 0) return false;
    if (checkIdentifier && Get16(message + 4) != identifier) return false;
    if (Get16(message + 6) != sequence) return false;
    return payloadLength == 0 || std::memcmp(message + kEchoHeaderSize, payload, payloadLength) == 0;
}

const std::uint8_t* IcmpInIpPacket(const std::uint8_t* packet, std::size_t length, std::size_t& icmpLength) {
    icmpLength = 0;
    if (packet == nullptr || length < 20 || (packet[0] >> 4) != 4) return nullptr;
    const std::size_t headerLength = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
    if (headerLength < 20 || headerLength > length) return nullptr;
    icmpLength = length - headerLength;
    return packet + headerLength;
}

EchoOutcome EchoOver(EchoSocket kind, const char* ipText, std::uint32_t timeoutMs) {
    sockaddr_in target{};
    if (!MakeAddress(ipText, 0, target)) return EchoOutcome::NotAnswered;
    const bool raw = kind == EchoSocket::Raw;
    const int fd = ::socket(AF_INET, (raw ? SOCK_RAW : SOCK_DGRAM) | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) return EchoOutcome::SocketUnavailable;
    FdCloser closer(fd);

    const EchoTag tag = NewTag();
    std::uint8_t request[kEchoHeaderSize + kPayloadLength];
    const std::size_t requestLength =
        BuildEchoRequest(tag.identifier, tag.sequence, tag.payload, kPayloadLength, request, sizeof request);
    ssize_t sent = 0;
    do {
        sent = ::sendto(fd, request, requestLength, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&target),
                        sizeof target);
    } while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(requestLength)) return EchoOutcome::NotAnswered;

    const std::uint64_t deadline = SteadyMilliseconds() + timeoutMs;
    std::uint8_t packet[kMaxPacket];
    for (;;) {
        pollfd waiting{fd, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, PollTimeout(deadline, timeoutMs == kInfinite));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return EchoOutcome::NotAnswered;
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t length = ::recvfrom(fd, packet, sizeof packet, MSG_DONTWAIT,
                                          reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (length < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return EchoOutcome::NotAnswered;  // an error answer or a broken socket
        }
        if (from.sin_addr.s_addr != target.sin_addr.s_addr) continue;
        std::size_t messageLength = static_cast<std::size_t>(length);
        const std::uint8_t* message = packet;
        if (raw) message = IcmpInIpPacket(packet, messageLength, messageLength);
        // A ping socket's identifier is chosen by the system, which also sorts the replies.
        if (IsEchoReplyTo(message, messageLength, raw, tag.identifier, tag.sequence, tag.payload, kPayloadLength)) {
            return EchoOutcome::Answered;
        }
    }
}

}  // namespace detail

bool IcmpEchoAnswered(const char* ipText, std::uint32_t timeoutMs) {
    detail::EchoOutcome outcome = detail::EchoOver(detail::EchoSocket::Ping, ipText, timeoutMs);
    if (outcome == detail::EchoOutcome::SocketUnavailable) {
        outcome = detail::EchoOver(detail::EchoSocket::Raw, ipText, timeoutMs);
    }
    return outcome == detail::EchoOutcome::Answered;
}

}  // namespace kravent::platform
