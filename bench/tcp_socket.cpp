#include "bench/tcp_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kravent::bench {

namespace {
sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

void NoDelay(int fd) {
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}
}  // namespace

Socket::~Socket() {
    if (fd_ >= 0) ::close(fd_);
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Socket Socket::Listen() {
    Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in address = Loopback(0);
    if (!s.Valid() || ::bind(s.fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(s.fd_, 4) != 0)
        return {};
    return s;
}

Socket Socket::Connect(std::uint16_t port) {
    Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    const sockaddr_in address = Loopback(port);
    if (!s.Valid() || ::connect(s.fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return {};
    NoDelay(s.fd_);
    return s;
}

Socket Socket::Accept() const {
    Socket s(::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC));
    if (s.Valid()) NoDelay(s.fd_);
    return s;
}

std::uint16_t Socket::LocalPort() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

bool Socket::SendAll(const void* data, std::size_t size) const {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd_, p, size, MSG_NOSIGNAL);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Socket::ReceiveAll(void* data, std::size_t size) const {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = ::recv(fd_, p, size, 0);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void Socket::Shutdown() const {
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

}  // namespace kravent::bench
