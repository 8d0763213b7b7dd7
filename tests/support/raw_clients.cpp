#include "tests/support/raw_clients.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "protocol/frame.h"

namespace kravent::testsupport {

using Clock = std::chrono::steady_clock;

namespace {
int MillisLeft(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}
bool WaitFd(int fd, short events, Clock::time_point end) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, MillisLeft(end));
        if (n < 0 && errno == EINTR) continue;
        return n > 0;
    }
}
sockaddr_in Address(const std::string& address, std::uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &sa.sin_addr);
    return sa;
}
}  // namespace

Bytes MakeFrame(std::uint16_t type, const Bytes& payload, std::uint16_t word) {
    Bytes frame(wire::kHeaderSize + payload.size() + wire::kChecksumSize);
    wire::WriteHeader(frame.data(), type, word);
    std::memcpy(frame.data() + wire::kHeaderSize, payload.data(), payload.size());
    wire::CloseFrame(frame.data(), payload.size());
    return frame;
}

Bytes Concat(const Bytes& a, const Bytes& b) {
    Bytes out = a;
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

TcpConnection::~TcpConnection() { Close(); }
TcpConnection::TcpConnection(TcpConnection&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
TcpConnection& TcpConnection::operator=(TcpConnection&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void TcpConnection::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool TcpConnection::Connect(const std::string& address, std::uint16_t port, std::chrono::milliseconds timeout) {
    Close();
    const auto end = Clock::now() + timeout;
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const sockaddr_in sa = Address(address, port);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        int error = errno;
        if (error == EINPROGRESS && WaitFd(fd_, POLLOUT, end)) {
            socklen_t len = sizeof error;
            ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len);
        }
        if (error != 0) {
            Close();
            return false;
        }
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return true;
}

bool TcpConnection::Send(const Bytes& bytes) {
    return fd_ >= 0 && ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

Bytes TcpConnection::ReceiveExactly(std::size_t count, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    Bytes out;
    while (out.size() < count && WaitFd(fd_, POLLIN, end)) {
        std::uint8_t buffer[4096];
        const std::size_t want = std::min(sizeof buffer, count - out.size());
        const ssize_t n = ::recv(fd_, buffer, want, 0);
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

Bytes TcpConnection::ReceiveSome(std::chrono::milliseconds timeout) {
    Bytes out;
    if (!WaitFd(fd_, POLLIN, Clock::now() + timeout)) return out;
    std::uint8_t buffer[4096];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n > 0) out.assign(buffer, buffer + n);
    return out;
}

bool TcpConnection::WaitClosed(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (WaitFd(fd_, POLLIN, end)) {
        std::uint8_t buffer[512];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) return true;
    }
    return false;
}

UdpEndpoint::UdpEndpoint() : UdpEndpoint("0.0.0.0", 0) {}

UdpEndpoint::UdpEndpoint(const std::string& address, std::uint16_t port)
    : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    const int on = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in local = Address(address, port);
    ::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local);
}

UdpEndpoint::~UdpEndpoint() { ::close(fd_); }

bool UdpEndpoint::SendTo(const std::string& address, std::uint16_t port, const Bytes& bytes) {
    const sockaddr_in to = Address(address, port);
    return ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(bytes.size());
}

std::optional<Datagram> UdpEndpoint::Receive(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (WaitFd(fd_, POLLIN, end)) {
        std::uint8_t buffer[65536];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) continue;  // e.g. a port-unreachable report
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        return Datagram{Bytes(buffer, buffer + n), text, ntohs(from.sin_port)};
    }
    return std::nullopt;
}

std::vector<Datagram> UdpEndpoint::ReceiveUntilQuiet(std::chrono::milliseconds quiet) {
    std::vector<Datagram> out;
    while (auto d = Receive(quiet)) out.push_back(std::move(*d));
    return out;
}

bool IcmpEcho(const std::string& address, std::chrono::milliseconds timeout) {
    const int fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) return false;
    const sockaddr_in to = Address(address, 0);
    const auto id = static_cast<std::uint16_t>(::getpid() & 0xFFFF);
    std::uint8_t request[16] = {ICMP_ECHO, 0, 0, 0};
    wire::PutU16(request + 4, id);
    wire::PutU16(request + 6, 1);
    // The ICMP checksum is the ones' complement of the ones' complement sum.
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < sizeof request; i += 2) sum += wire::GetU16(request + i);
    sum = (sum >> 16) + (sum & 0xFFFF);
    sum += sum >> 16;
    wire::PutU16(request + 2, static_cast<std::uint16_t>(~sum));
    bool answered = false;
    if (::sendto(fd, request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) > 0) {
        const auto end = Clock::now() + timeout;
        while (!answered && WaitFd(fd, POLLIN, end)) {
            std::uint8_t reply[1500];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            const ssize_t n = ::recvfrom(fd, reply, sizeof reply, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n < 20) continue;
            const std::size_t header = (reply[0] & 0x0Fu) * 4u;
            if (static_cast<std::size_t>(n) < header + 8) continue;
            const std::uint8_t* icmp = reply + header;
            answered = from.sin_addr.s_addr == to.sin_addr.s_addr && icmp[0] == ICMP_ECHOREPLY &&
                       wire::GetU16(icmp + 4) == id;
        }
    }
    ::close(fd);
    return answered;
}

bool InPrivateNetns() {
    const char* flag = std::getenv("KRAVENT_IN_NETNS");
    return flag != nullptr && std::strcmp(flag, "1") == 0;
}

}  // namespace kravent::testsupport
