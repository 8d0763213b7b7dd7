// The test that no host answers at an address yet.
#pragma once

#include <cstdint>

namespace kravent {

// True only when a host answers an ICMP echo at `ip` (4 ints) within 5000 ms.
bool IsIPAddressInUse(const std::int32_t* ip);

}  // namespace kravent
