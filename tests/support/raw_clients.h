// Plain sockets for tests that talk to a module (or the simulator) byte by byte,
// over the programs' OS layer.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kravent::testsupport {

using Bytes = std::vector<std::uint8_t>;

// A frame with its header and checksum around `payload`.
Bytes MakeFrame(std::uint16_t type, const Bytes& payload, std::uint16_t word = 0);
Bytes Concat(const Bytes& a, const Bytes& b);

class TcpConnection {
public:
    TcpConnection() = default;
    ~TcpConnection();
    TcpConnection(TcpConnection&& other) noexcept;
    TcpConnection& operator=(TcpConnection&& other) noexcept;

    // Connects within `timeout`; false when refused or timed out.
    bool Connect(const std::string& address, std::uint16_t port,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    bool Send(const Bytes& bytes);
    // Receives exactly `count` bytes, or whatever came before `timeout` ran out.
    Bytes ReceiveExactly(std::size_t count, std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    // One receive call: the bytes available within `timeout` (empty on timeout or close).
    Bytes ReceiveSome(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    // True when the peer closed the connection within `timeout`.
    bool WaitClosed(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    void Close();

private:
    std::intptr_t socket_ = -1;
};

struct Datagram {
    Bytes bytes;
    std::string from;  // dotted source address
    std::uint16_t fromPort = 0;
};

class UdpEndpoint {
public:
    UdpEndpoint();  // bound to a free port of every local address, broadcast allowed
    // Bound to `address` and `port` (0: a free one), broadcast allowed; the port may be shared.
    UdpEndpoint(const std::string& address, std::uint16_t port);
    ~UdpEndpoint();
    UdpEndpoint(const UdpEndpoint&) = delete;
    UdpEndpoint& operator=(const UdpEndpoint&) = delete;

    bool SendTo(const std::string& address, std::uint16_t port, const Bytes& bytes);
    std::optional<Datagram> Receive(std::chrono::milliseconds timeout);
    // Every datagram until none has come for `quiet`.
    std::vector<Datagram> ReceiveUntilQuiet(std::chrono::milliseconds quiet);

private:
    std::intptr_t socket_ = -1;
};

// One ICMP echo to `address`; true when the reply came within `timeout`.
bool IcmpEcho(const std::string& address, std::chrono::milliseconds timeout);

// True when this process is in a private namespace made by run-in-netns.sh.
bool InPrivateNetns();

}  // namespace kravent::testsupport
