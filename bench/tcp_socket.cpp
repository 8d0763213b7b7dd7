#include "bench/tcp_socket.h"

#include <string>

#include "hostos/hostos.h"

namespace kravent::bench {

namespace {
constexpr int kConnectTimeoutMs = 2000;
}  // namespace

Socket::~Socket() { hostos::CloseSocket(fd_); }

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        hostos::CloseSocket(fd_);
        fd_ = other.fd_;
        other.fd_ = hostos::kNoSocket;
    }
    return *this;
}

Socket Socket::Listen() {
    std::string error;
    return Socket(hostos::OpenTcpListener({hostos::kLoopback, 0}, error));
}

Socket Socket::Connect(std::uint16_t port) {
    Socket s(hostos::ConnectTcp({hostos::kLoopback, port}, kConnectTimeoutMs));
    if (s.Valid()) hostos::SendWithoutDelay(s.fd_);
    return s;
}

Socket Socket::Accept() const { return Socket(hostos::AcceptConnection(fd_)); }

std::uint16_t Socket::LocalPort() const { return hostos::BoundPort(fd_); }

bool Socket::SendAll(const void* data, std::size_t size) const {
    return hostos::SendAll(fd_, static_cast<const std::uint8_t*>(data), size);
}

bool Socket::ReceiveAll(void* data, std::size_t size) const {
    auto* p = static_cast<std::uint8_t*>(data);
    while (size > 0) {
        const long n = hostos::ReceiveAvailable(fd_, p, size);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void Socket::Shutdown() const {
    if (Valid()) hostos::ShutdownSocket(fd_);
}

}  // namespace kravent::bench
