#include "globalfunctions/network_scan.h"

#include "globalfunctions/error_log.h"
#include "globalfunctions/udp_service.h"
#include "platform/platform.h"

namespace kravent {

namespace {
// Read request for TYPE, VERSION, MODULENAME and ETHERNETMAC, with its checksum.
constexpr std::uint8_t kScanRequest[] = {0x00, 0x21, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 0x15, 0x11, 0xEA, 0xC8};
constexpr std::uint32_t kSilenceMs = 200;
constexpr int kReceiveSize = 50;
}  // namespace

std::int32_t ScanNetwork(ModuleScanRecord* records, std::int32_t capacity) {
    const std::lock_guard<std::mutex> operation(UdpOperationLock());
    UdpServiceState& state = LibraryUdpState();
    const bool storable = records != nullptr && capacity > 0;
    state.scan = ScanTable{false, storable ? records : nullptr, storable ? capacity : 0, 0};

    platform::UdpSocket socket;
    if (!socket.Open() ||
        !socket.SendTo(kBroadcastAddress, UDP_SERVICE_PORT, kScanRequest, static_cast<int>(sizeof kScanRequest))) {
        WriteErrorLog("Unable to send the scan request\t(Vorn_KRAVENT_ScanNetwork)", kNoAddress);
        socket.Close();
        return 0;
    }

    state.scan.active = true;
    for (;;) {
        std::uint8_t answer[kReceiveSize];
        char sender[kSenderTextSize] = {};
        int senderPort = 0;
        const int length = socket.ReceiveFrom(answer, kReceiveSize, kSilenceMs, sender, sizeof sender, &senderPort);
        if (!ReceivedUDPRawData(state, answer, length > 0 ? static_cast<std::size_t>(length) : 0, sender, senderPort))
            break;
    }
    state.scan.active = false;
    socket.Close();

    const std::int32_t found = state.scan.count;
    state.scan = ScanTable{};
    return found;
}

}  // namespace kravent
