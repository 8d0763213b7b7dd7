#include "tests/support/raw_clients.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "hostos/hostos.h"
#include "platform/platform.h"
#include "protocol/frame.h"

namespace kravent::testsupport {

using Clock = std::chrono::steady_clock;

namespace {
int MillisLeft(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}
bool WaitReadable(hostos::SocketHandle socket, Clock::time_point end) {
    return socket != hostos::kNoSocket && hostos::WaitReadable(socket, MillisLeft(end));
}
hostos::Endpoint At(const std::string& address, std::uint16_t port) {
    return {hostos::ParseAddress(address).value_or(0), port};
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
TcpConnection::TcpConnection(TcpConnection&& other) noexcept : socket_(other.socket_) { other.socket_ = -1; }
TcpConnection& TcpConnection::operator=(TcpConnection&& other) noexcept {
    if (this != &other) {
        Close();
        socket_ = other.socket_;
        other.socket_ = -1;
    }
    return *this;
}

void TcpConnection::Close() { hostos::CloseSocket(socket_); }

bool TcpConnection::Connect(const std::string& address, std::uint16_t port, std::chrono::milliseconds timeout) {
    Close();
    socket_ = hostos::ConnectTcp(At(address, port), static_cast<int>(timeout.count()));
    return socket_ != hostos::kNoSocket;
}

bool TcpConnection::Send(const Bytes& bytes) {
    return socket_ != hostos::kNoSocket && hostos::SendAll(socket_, bytes.data(), bytes.size());
}

Bytes TcpConnection::ReceiveExactly(std::size_t count, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    Bytes out;
    while (out.size() < count && WaitReadable(socket_, end)) {
        std::uint8_t buffer[4096];
        const std::size_t want = std::min(sizeof buffer, count - out.size());
        const long n = hostos::ReceiveAvailable(socket_, buffer, want);
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
    }
    return out;
}

Bytes TcpConnection::ReceiveSome(std::chrono::milliseconds timeout) {
    Bytes out;
    if (!WaitReadable(socket_, Clock::now() + timeout)) return out;
    std::uint8_t buffer[4096];
    const long n = hostos::ReceiveAvailable(socket_, buffer, sizeof buffer);
    if (n > 0) out.assign(buffer, buffer + n);
    return out;
}

bool TcpConnection::WaitClosed(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (WaitReadable(socket_, end)) {
        std::uint8_t buffer[512];
        if (hostos::ReceiveAvailable(socket_, buffer, sizeof buffer) <= 0) return true;
    }
    return false;
}

UdpEndpoint::UdpEndpoint() : UdpEndpoint("0.0.0.0", 0) {}

UdpEndpoint::UdpEndpoint(const std::string& address, std::uint16_t port) {
    std::string error;
    socket_ = hostos::OpenUdpSocket(At(address, port), true, error);
}

UdpEndpoint::~UdpEndpoint() { hostos::CloseSocket(socket_); }

bool UdpEndpoint::SendTo(const std::string& address, std::uint16_t port, const Bytes& bytes) {
    return socket_ != hostos::kNoSocket && hostos::SendDatagram(socket_, bytes.data(), bytes.size(), At(address, port));
}

std::optional<Datagram> UdpEndpoint::Receive(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (WaitReadable(socket_, end)) {
        std::uint8_t buffer[65536];
        hostos::Endpoint from;
        std::optional<std::uint32_t> destination;
        const long n = hostos::ReceiveDatagram(socket_, buffer, sizeof buffer, from, destination);
        if (n < 0) continue;  // e.g. a port-unreachable report
        return Datagram{Bytes(buffer, buffer + n), hostos::FormatAddress(from.address), from.port};
    }
    return std::nullopt;
}

std::vector<Datagram> UdpEndpoint::ReceiveUntilQuiet(std::chrono::milliseconds quiet) {
    std::vector<Datagram> out;
    while (auto d = Receive(quiet)) out.push_back(std::move(*d));
    return out;
}

bool IcmpEcho(const std::string& address, std::chrono::milliseconds timeout) {
    return platform::IcmpEchoAnswered(address.c_str(), static_cast<std::uint32_t>(timeout.count()));
}

bool InPrivateNetns() {
    const char* flag = std::getenv("KRAVENT_IN_NETNS");
    return flag != nullptr && std::strcmp(flag, "1") == 0;
}

}  // namespace kravent::testsupport
