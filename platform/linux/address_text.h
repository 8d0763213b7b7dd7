// Conversions between numeric IPv4 text and socket addresses, for the socket services.
#pragma once

#include <cstddef>
#include <cstdint>
#include <netinet/in.h>

namespace kravent::platform::detail {

// False unless `ipText` is a dotted IPv4 address and `port` lies in 0..65535.
bool MakeAddress(const char* ipText, int port, sockaddr_in& address);

// Writes the address as dotted text, cut to `capacity` with its terminating zero.
void WriteAddressText(const in_addr& address, char* text, std::size_t capacity);

// Milliseconds left until `deadlineMs` of SteadyMilliseconds(), for poll(); -1 without limit.
int PollTimeout(std::uint64_t deadlineMs, bool unlimited);

}  // namespace kravent::platform::detail
