// Helpers of the socket cases: a message pump and a plain UDP peer on loopback over
// the programs' OS layer (the TCP listener is tests/platform/test_listener.h).
#pragma once

#include <cstdint>

#include "hostos/hostos.h"

namespace kravent::wintest {

// Dispatches the calling thread's window messages until `done(context)` holds or
// `timeoutMs` has passed; returns whether it holds.
bool PumpUntil(bool (*done)(void*), void* context, std::uint32_t timeoutMs);

// Dispatches messages for `spanMs` (to show that nothing more arrives).
void PumpFor(std::uint32_t spanMs);

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
