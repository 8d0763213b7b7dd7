// The UDP service exchange with modules (port 7010): the library-wide reassembly
// state shared by the module test, the network scan and the IP address change, and the
// logging of what goes wrong in received datagrams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "protocol/service_frames.h"

namespace kravent {

// The state of the library, and the lock that lets one UDP operation run at a time:
// each operation holds it from its first to its last datagram.
UdpServiceState& LibraryUdpState();
std::mutex& UdpOperationLock();

// Takes the result of one receive and logs every failure in it with `sender`. Returns
// false when `count` is 0, true otherwise.
bool ReceivedUDPRawData(UdpServiceState& state, const std::uint8_t* bytes, std::size_t count,
                        const char* sender, int port);

}  // namespace kravent
