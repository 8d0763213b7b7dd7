// A plain loopback TCP listener and its accepted peer, for the client's tests.
#pragma once

#include <cstddef>
#include <string>

namespace kravent::testing {

class Peer {
public:
    explicit Peer(int fd = -1) : fd_(fd) {}
    ~Peer();
    Peer(Peer&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Peer& operator=(Peer&& other) noexcept;

    bool Valid() const { return fd_ >= 0; }
    bool SendAll(const void* data, std::size_t length);
    bool SendText(const std::string& text) { return SendAll(text.data(), text.size()); }
    // Receives exactly `length` bytes within `timeoutMs`.
    bool ReceiveAll(void* data, std::size_t length, int timeoutMs);
    void Close();
    void Reset();  // closes with a reset instead of an orderly close

private:
    int fd_;
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
    int fd_ = -1;
    int port_ = 0;
};

// A loopback port on which nothing listens.
int ClosedPort();

}  // namespace kravent::testing
