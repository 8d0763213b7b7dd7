#include "udp/ip_change.h"

#include <memory>
#include <string>

#include "udp/address_in_use.h"
#include "udp/service_receive.h"
#include "udp/udp_service.h"
#include "log/error_log.h"
#include "platform/platform.h"
#include "protocol/address_arrays.h"

namespace kravent {

namespace {
constexpr std::uint32_t kAcknowledgeMs = 200;
constexpr int kReceiveSize = 30;

void ReportInterfaceFailure(void*, const char* interfaceAddress) {
    WriteErrorLog("Unable to send the IP address change on one network interface\t(ChangeIPAddress)", interfaceAddress);
}

bool Fail(const char* message, const std::string& ipText) {
    WriteErrorLog(message, ipText);
    return false;
}
}  // namespace

bool ChangeIPAddress(const std::int32_t* macAddress, const std::int32_t* ipAddress,
                     const std::int32_t* subnetMaskAddress) {
    const std::string none(kNoAddress);
    if (macAddress == nullptr)
        return Fail("Pointer on data to write not valid. MacAddress = NULL\t(ChangeIPAddress)", none);
    if (ipAddress == nullptr)
        return Fail("Pointer on data to write not valid. IPAddress = NULL\t(ChangeIPAddress)", none);
    if (subnetMaskAddress == nullptr)
        return Fail("Pointer on data to write not valid. SubnetMaskAddress = NULL\t(ChangeIPAddress)", none);

    const std::string newAddress = IPArrayToText(ipAddress);
    if (!IsByteArrayValid(macAddress, kMacAddressBytes)) return Fail("Mac Address not valid\t(ChangeIPAddress)", newAddress);
    if (!IsByteArrayValid(ipAddress, kIpAddressBytes)) return Fail("IP Address not valid\t(ChangeIPAddress)", newAddress);
    if (!IsByteArrayValid(subnetMaskAddress, kIpAddressBytes))
        return Fail("Subnet Mask Address not valid\t(ChangeIPAddress)", newAddress);

    if (IsIPAddressInUse(ipAddress)) return Fail("The IP address is already in use\t(ChangeIPAddress)", newAddress);

    std::uint8_t command[kChangeIpFrameSize];
    BuildChangeIpFrame(macAddress, ipAddress, subnetMaskAddress, command);

    bool acknowledged = false;
    platform::UdpSocket socket;
    if (socket.Open() && socket.SendBroadcast(UDP_SERVICE_PORT, command, static_cast<int>(sizeof command),
                                              &ReportInterfaceFailure) > 0) {
        // Any datagram with bytes acknowledges, also one too long to be parsed.
        const auto state = std::make_unique<UdpServiceState>();
        acknowledged = ReceiveServiceDatagram(*state, socket, kReceiveSize,
                                              platform::SteadyMilliseconds() + kAcknowledgeMs) != ServiceReceive::Nothing;
    }
    socket.Close();
    if (!acknowledged)
        return Fail("Change IP Address acknowledge not received from the module\t(ChangeIPAddress)", newAddress);
    return true;
}

}  // namespace kravent
