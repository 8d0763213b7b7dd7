// Moves a network interface from one IPv4 address to another by running `ip`.
// Used only when a module is told to manage an interface, which it accepts only
// inside a private network namespace of the test harness (KRAVENT_IN_NETNS=1).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace kravent::sim {

using Ipv4 = std::array<std::uint8_t, 4>;

// The prefix length of a mask (the number of leading one bits).
int PrefixLength(const Ipv4& mask);

// True when this process runs in a namespace the harness created for it.
bool InPrivateNetworkNamespace();

// Removes oldIp/oldMask from `interfaceName` and adds newIp/newMask; false with
// `error` when `ip` fails. Adding an address that is already there is not an error.
bool MoveInterfaceAddress(const std::string& interfaceName, const Ipv4& oldIp, const Ipv4& oldMask, const Ipv4& newIp,
                          const Ipv4& newMask, std::string& error);

}  // namespace kravent::sim
