#include "udp/address_in_use.h"

#include "platform/platform.h"
#include "protocol/address_arrays.h"

namespace kravent {

namespace {
constexpr std::uint32_t kEchoTimeoutMs = 5000;
}

bool IsIPAddressInUse(const std::int32_t* ip) {
    return platform::IcmpEchoAnswered(IPArrayToText(ip).c_str(), kEchoTimeoutMs);
}

}  // namespace kravent
