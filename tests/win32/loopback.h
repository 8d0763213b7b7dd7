// Helpers of the socket cases: a message pump and raw Winsock peers on loopback.
#pragma once

#include <cstdint>

#include "platform/win32/windows_api.h"

namespace kravent::wintest {

// Dispatches the calling thread's window messages until `done(context)` holds or
// `timeoutMs` has passed; returns whether it holds.
bool PumpUntil(bool (*done)(void*), void* context, std::uint32_t timeoutMs);

// Dispatches messages for `spanMs` (to show that nothing more arrives).
void PumpFor(std::uint32_t spanMs);

// A listening TCP socket on 127.0.0.1 at a free port.
class Listener {
public:
    Listener();
    ~Listener();
    int port() const { return port_; }
    SOCKET Accept(std::uint32_t timeoutMs);  // INVALID_SOCKET on time-out
    void Close();

private:
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

// A UDP socket on 127.0.0.1 (or any address) at a free port.
class UdpPeer {
public:
    explicit UdpPeer(bool anyAddress = false);
    ~UdpPeer();
    int port() const { return port_; }
    // Waits for one datagram; its length, or -1 on time-out. `from` gets the sender.
    int Receive(char* buffer, int capacity, std::uint32_t timeoutMs, sockaddr_in* from);
    bool SendTo(const sockaddr_in& to, const void* data, int length);

private:
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

bool WaitReadable(SOCKET socket, std::uint32_t timeoutMs);

}  // namespace kravent::wintest
