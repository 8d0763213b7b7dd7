// The receive side of the three UDP operations: waits for datagrams until a deadline
// and hands each one that carries bytes to the reassembly.
#pragma once

#include <cstdint>

#include "udp/udp_service.h"
#include "platform/platform.h"

namespace kravent {

// The largest receive buffer an operation asks for (the scan's).
inline constexpr int kMaxServiceReceiveSize = 50;

enum class ServiceReceive {
    Nothing,   // the deadline passed, or the socket reported an error
    Datagram,  // a datagram with bytes was handed to ReceivedUDPRawData
    Dropped,   // a datagram longer than the buffer came and was dropped whole
};

// Waits until `deadlineMs` (SteadyMilliseconds) for the next datagram of at most
// `capacity` bytes. Empty datagrams count as nothing and the wait goes on; a longer one
// is logged and its bytes are not used, since its end is missing.
ServiceReceive ReceiveServiceDatagram(UdpServiceState& state, platform::UdpSocket& socket, int capacity,
                                      std::uint64_t deadlineMs);

}  // namespace kravent
