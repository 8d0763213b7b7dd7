#include "test_listener.h"

#include "hostos/hostos.h"

namespace kravent::testing {

Peer& Peer::operator=(Peer&& other) noexcept {
    if (this != &other) {
        Close();
        socket_ = other.socket_;
        other.socket_ = -1;
    }
    return *this;
}

bool Peer::SendAll(const void* data, std::size_t length) {
    return hostos::SendAll(socket_, static_cast<const std::uint8_t*>(data), length);
}

bool Peer::ReceiveAll(void* data, std::size_t length, int timeoutMs) {
    auto* bytes = static_cast<std::uint8_t*>(data);
    while (length > 0) {
        if (!hostos::WaitReadable(socket_, timeoutMs)) return false;
        const long n = hostos::ReceiveAvailable(socket_, bytes, length);
        if (n <= 0) return false;
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

void Peer::Close() { hostos::CloseSocket(socket_); }

void Peer::Reset() { hostos::ResetConnection(socket_); }

Listener::Listener() {
    std::string error;
    socket_ = hostos::OpenTcpListener({hostos::kLoopback, 0}, error);
    port_ = hostos::BoundPort(socket_);
}

Listener::~Listener() { hostos::CloseSocket(socket_); }

Peer Listener::Accept(int timeoutMs) {
    if (!hostos::WaitReadable(socket_, timeoutMs)) return Peer();
    return Peer(hostos::AcceptConnection(socket_));
}

int ClosedPort() {
    // Bound but never listening, so connects are refused; left open until the process
    // ends, so that no other socket takes the port meanwhile.
    std::string error;
    return hostos::BoundPort(hostos::OpenTcpSocket({hostos::kLoopback, 0}, error));
}

}  // namespace kravent::testing
