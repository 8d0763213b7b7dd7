// A plain loopback TCP listener and its accepted peer, for the client's tests on
// every system (over the programs' OS layer).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kravent::testing {

class Peer {
public:
    explicit Peer(std::intptr_t socket = -1) : socket_(socket) {}
    ~Peer() { Close(); }
    Peer(Peer&& other) noexcept : socket_(other.socket_) { other.socket_ = -1; }
    Peer& operator=(Peer&& other) noexcept;

    bool Valid() const { return socket_ >= 0; }
    bool SendAll(const void* data, std::size_t length);
    bool SendText(const std::string& text) { return SendAll(text.data(), text.size()); }
    // Receives exactly `length` bytes within `timeoutMs`.
    bool ReceiveAll(void* data, std::size_t length, int timeoutMs);
    void Close();
    void Reset();  // closes with a reset instead of an orderly close

private:
    std::intptr_t socket_;
};

class Listener {
public:
    Listener();  // 127.0.0.1, a free port
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int Port() const { return port_; }
    Peer Accept(int timeoutMs);

private:
    std::intptr_t socket_ = -1;
    int port_ = 0;
};

// A loopback port on which nothing listens.
int ClosedPort();

}  // namespace kravent::testing
