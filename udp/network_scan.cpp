#include "udp/network_scan.h"

#include <algorithm>
#include <memory>

#include "udp/service_receive.h"
#include "udp/udp_service.h"
#include "log/error_log.h"
#include "platform/platform.h"

namespace kravent {

namespace {
constexpr int kReceiveSize = 50;
// Room for the answers of hundreds of modules that all answer at once.
constexpr int kReceiveQueueBytes = 4 << 20;

void ReportInterfaceFailure(void*, const char* interfaceAddress) {
    WriteErrorLog("Unable to send the scan request on one network interface\t(Vorn_KRAVENT_ScanNetwork)",
                  interfaceAddress);
}
}  // namespace

std::int32_t ScanNetwork(ModuleScanRecord* records, std::int32_t capacity) {
    const auto owned = std::make_unique<UdpServiceState>();
    UdpServiceState& state = *owned;
    const bool storable = records != nullptr && capacity > 0;
    state.scan = ScanTable{false, storable ? records : nullptr, storable ? capacity : 0, 0};

    platform::UdpSocket socket;
    int interfaces = 0;
    if (socket.Open()) {
        socket.EnlargeReceiveBuffer(kReceiveQueueBytes);  // a smaller queue still serves most networks
        interfaces = socket.SendBroadcast(UDP_SERVICE_PORT, kScanRequest, static_cast<int>(sizeof kScanRequest),
                                          &ReportInterfaceFailure);
    }
    if (interfaces == 0) {
        WriteErrorLog("Unable to send the scan request\t(Vorn_KRAVENT_ScanNetwork)", kNoAddress);
        socket.Close();
        return 0;
    }

    state.scan.active = true;
    state.scan.mergeRepeats = interfaces > 1;
    const std::uint64_t limit = platform::SteadyMilliseconds() + kScanLimitMs;
    for (;;) {
        const std::uint64_t silence = platform::SteadyMilliseconds() + kScanSilenceMs;
        if (ReceiveServiceDatagram(state, socket, kReceiveSize, std::min(silence, limit)) == ServiceReceive::Nothing)
            break;
    }
    state.scan.active = false;
    socket.Close();

    return state.scan.count;
}

}  // namespace kravent
