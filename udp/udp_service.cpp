#include "udp/udp_service.h"

#include <atomic>
#include <string>

#include "log/error_log.h"

namespace kravent {

namespace {
std::atomic<std::uint32_t> checksumErrors{0};
}

std::uint32_t UdpChecksumErrorCount() { return checksumErrors.load(); }

bool ReceivedUDPRawData(UdpServiceState& state, const std::uint8_t* bytes, std::size_t count, const char* sender,
                        int /*port*/) {
    if (count == 0) return false;
    if (sender == nullptr) sender = "";
    BeginServiceDatagram(state, sender);
    for (std::size_t at = 0; at < count;) {
        const ServiceStep step = TakeServiceBytes(state, bytes + at, count - at);
        at += step.taken;
        switch (step.failure) {
        case ServiceFailure::None: break;
        case ServiceFailure::ChecksumError:
            WriteErrorLog("ChecksumError occurs. Nb of ChecksumError = " + std::to_string(checksumErrors.fetch_add(1) + 1) +
                              "\t(ReceivedUDPRawData)",
                          sender);
            break;
        case ServiceFailure::UnknownRegister:
            WriteErrorLog("Receive unknown module gegister\t(ReceiveUDP_Data)", sender);
            break;
        }
    }
    return true;
}

}  // namespace kravent
