// Helpers of the socket cases: a message pump and plain peers on loopback over the
// programs' OS layer.
#pragma once

#include <cstdint>

#include "hostos/hostos.h"

namespace kravent::wintest {

// Dispatches the calling thread's window messages until `done(context)` holds or
// `timeoutMs` has passed; returns whether it holds.
bool PumpUntil(bool (*done)(void*), void* context, std::uint32_t timeoutMs);

// Dispatches messages for `spanMs` (to show that nothing more arrives).
void PumpFor(std::uint32_t spanMs);

// The accepted end of a connection; closed when it goes.
class Connection {
public:
    explicit Connection(hostos::SocketHandle socket = hostos::kNoSocket) : socket_(socket) {}
    ~Connection() { Close(); }
    Connection(Connection&& other) noexcept : socket_(other.socket_) { other.socket_ = hostos::kNoSocket; }
    Connection& operator=(Connection&&) = delete;

    bool Valid() const { return socket_ != hostos::kNoSocket; }
    bool Send(const char* data, int length);
    // Waits for bytes; how many came (<= 0: none, the peer closed, or an error).
    int Receive(char* buffer, int capacity, std::uint32_t timeoutMs);
    void Close() { hostos::CloseSocket(socket_); }
    // Closes with a reset instead of an orderly end.
    void Reset() { hostos::ResetConnection(socket_); }

private:
    hostos::SocketHandle socket_;
};

// A listening TCP socket on 127.0.0.1 at a free port.
class Listener {
public:
    Listener();
    ~Listener() { Close(); }
    int port() const { return port_; }
    Connection Accept(std::uint32_t timeoutMs);  // not Valid() on time-out
    void Close() { hostos::CloseSocket(socket_); }

private:
    hostos::SocketHandle socket_ = hostos::kNoSocket;
    int port_ = 0;
};

// A UDP socket on 127.0.0.1 (or any address) at a free port.
class UdpPeer {
public:
    explicit UdpPeer(bool anyAddress = false);
    ~UdpPeer() { hostos::CloseSocket(socket_); }
    int port() const { return port_; }
    // Waits for one datagram; its length, or -1 on time-out. `from` gets the sender.
    int Receive(char* buffer, int capacity, std::uint32_t timeoutMs, hostos::Endpoint* from);
    bool SendTo(const hostos::Endpoint& to, const void* data, int length);

private:
    hostos::SocketHandle socket_ = hostos::kNoSocket;
    int port_ = 0;
};

}  // namespace kravent::wintest
