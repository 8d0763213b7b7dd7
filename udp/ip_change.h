// The IP address change of a module chosen by its MAC address, over UDP broadcast.
#pragma once

#include <cstdint>

namespace kravent {

// True when a module acknowledged the change; every failure is logged.
bool ChangeIPAddress(const std::int32_t* macAddress, const std::int32_t* ipAddress,
                     const std::int32_t* subnetMaskAddress);

}  // namespace kravent
