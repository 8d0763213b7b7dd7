#include "udp/service_receive.h"

#include <algorithm>

#include "log/error_log.h"

namespace kravent {

ServiceReceive ReceiveServiceDatagram(UdpServiceState& state, platform::UdpSocket& socket, int capacity,
                                      std::uint64_t deadlineMs) {
    capacity = std::clamp(capacity, 0, kMaxServiceReceiveSize);
    for (;;) {
        const std::uint64_t now = platform::SteadyMilliseconds();
        if (now >= deadlineMs) return ServiceReceive::Nothing;
        std::uint8_t datagram[kMaxServiceReceiveSize];
        char sender[kSenderTextSize] = {};
        int senderPort = 0;
        platform::DatagramKind kind = platform::DatagramKind::None;
        const int length = socket.ReceiveFrom(datagram, capacity, static_cast<std::uint32_t>(deadlineMs - now), sender,
                                              sizeof sender, &senderPort, &kind);
        switch (kind) {
        case platform::DatagramKind::None: return ServiceReceive::Nothing;
        case platform::DatagramKind::Empty: continue;
        case platform::DatagramKind::Truncated:
            WriteErrorLog("Datagram longer than the receive buffer dropped\t(ReceiveServiceDatagram)", sender);
            return ServiceReceive::Dropped;
        case platform::DatagramKind::Whole:
            ReceivedUDPRawData(state, datagram, static_cast<std::size_t>(length), sender, senderPort);
            return ServiceReceive::Datagram;
        }
    }
}

}  // namespace kravent
