// The ICMP echo through the IP helper; every failure means "no answer".
#include "platform/win32/windows_api.h"

#include <iphlpapi.h>
#include <icmpapi.h>

namespace kravent::platform {

bool IcmpEchoAnswered(const char* ipText, std::uint32_t timeoutMs) {
    in_addr address{};
    if (!ParseIPv4(ipText, &address)) return false;
    HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE) return false;
    char payload[32] = "KRAVENT address test";
    // Room for the reply, its echoed payload, an ICMP error message and the status block.
    alignas(ICMP_ECHO_REPLY) unsigned char reply[sizeof(ICMP_ECHO_REPLY) + sizeof payload + 8 + 64];
    const DWORD replies = IcmpSendEcho(icmp, address.s_addr, payload, sizeof payload, nullptr, reply, sizeof reply,
                                       timeoutMs);
    const bool answered = replies > 0 && reinterpret_cast<const ICMP_ECHO_REPLY*>(reply)->Status == IP_SUCCESS;
    IcmpCloseHandle(icmp);
    return answered;
}

}  // namespace kravent::platform
