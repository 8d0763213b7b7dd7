// Blocking loopback TCP sockets for the baselines, over the programs' OS layer: a listener on a free port, a
// connected client, exact-size reads and writes. TCP_NODELAY on every connection.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hostos/hostos.h"

namespace kravent::bench {

class Socket {
public:
    Socket() = default;
    explicit Socket(hostos::SocketHandle fd) : fd_(fd) {}
    ~Socket();
    Socket(Socket&& other) noexcept : fd_(other.fd_) { other.fd_ = hostos::kNoSocket; }
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // A listener on 127.0.0.1 with a port of the system's choice.
    static Socket Listen();
    static Socket Connect(std::uint16_t port);
    Socket Accept() const;

    bool Valid() const { return fd_ != hostos::kNoSocket; }
    std::uint16_t LocalPort() const;
    bool SendAll(const void* data, std::size_t size) const;
    // False when the peer closed or the read failed before `size` bytes came.
    bool ReceiveAll(void* data, std::size_t size) const;
    // Wakes a thread blocked in ReceiveAll on this socket: it returns false.
    void Shutdown() const;

private:
    hostos::SocketHandle fd_ = hostos::kNoSocket;
};

}  // namespace kravent::bench
