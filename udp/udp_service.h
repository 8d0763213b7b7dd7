// The UDP service exchange with modules (port 7010): the logging of what goes wrong in
// the datagrams that the module test, the network scan and the IP address change
// receive. Each operation has its own socket and its own reassembly state, so that
// operations on different threads never wait for one another.
#pragma once

#include <cstddef>
#include <cstdint>

#include "protocol/service_frames.h"

namespace kravent {

// Frames whose checksum failed, over every operation since the library was loaded.
std::uint32_t UdpChecksumErrorCount();

// Takes the result of one receive into the operation's `state` and logs every failure
// in it with `sender`. Returns false when `count` is 0, true otherwise.
bool ReceivedUDPRawData(UdpServiceState& state, const std::uint8_t* bytes, std::size_t count,
                        const char* sender, int port);

}  // namespace kravent
