#include "test_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kravent::testing {

namespace {

int BoundLoopbackSocket(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

Peer::~Peer() { Close(); }

Peer& Peer::operator=(Peer&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool Peer::SendAll(const void* data, std::size_t length) {
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::send(fd_, bytes, length, MSG_NOSIGNAL);
        if (n <= 0) return false;
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool Peer::ReceiveAll(void* data, std::size_t length, int timeoutMs) {
    auto* bytes = static_cast<char*>(data);
    while (length > 0) {
        pollfd waiting{fd_, POLLIN, 0};
        if (::poll(&waiting, 1, timeoutMs) != 1) return false;
        const ssize_t n = ::recv(fd_, bytes, length, 0);
        if (n <= 0) return false;
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

void Peer::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

void Peer::Reset() {
    if (fd_ < 0) return;
    const linger abort{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    Close();
}

Listener::Listener() {
    fd_ = BoundLoopbackSocket(port_);
    if (fd_ >= 0) ::listen(fd_, 8);
}

Listener::~Listener() {
    if (fd_ >= 0) ::close(fd_);
}

Peer Listener::Accept(int timeoutMs) {
    pollfd waiting{fd_, POLLIN, 0};
    if (::poll(&waiting, 1, timeoutMs) != 1) return Peer();
    return Peer(::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC));
}

int ClosedPort() {
    // Bound but never listening, so connects are refused; left open until the process
    // ends, so that no other socket takes the port meanwhile.
    int port = 0;
    BoundLoopbackSocket(port);
    return port;
}

}  // namespace kravent::testing
