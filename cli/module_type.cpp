#include "cli/module_type.h"

#include <chrono>
#include <memory>

#include "hostos/hostos.h"
#include "protocol/service_frames.h"

namespace kravent::cli {

std::optional<ModuleType> AskModuleType(std::uint32_t address, int timeoutMs) {
    std::string error;
    hostos::SocketHandle socket = hostos::OpenUdpSocket({0, 0}, false, error);
    if (socket == hostos::kNoSocket) return std::nullopt;
    const hostos::Endpoint module{address, static_cast<std::uint16_t>(UDP_SERVICE_PORT)};
    std::optional<ModuleType> type;
    if (hostos::SendDatagram(socket, kTypeRequest, sizeof kTypeRequest, module)) {
        const auto state = std::make_unique<UdpServiceState>();  // the reassembly is large
        state->typeTest.active = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!type) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !hostos::WaitReadable(socket, static_cast<int>(left.count()))) break;
            std::uint8_t datagram[512];
            hostos::Endpoint from;
            std::optional<std::uint32_t> destination;
            const long size = hostos::ReceiveDatagram(socket, datagram, sizeof datagram, from, destination);
            if (size <= 0 || from.address != address) continue;  // only the module's own answer
            BeginServiceDatagram(*state, hostos::FormatAddress(from.address).c_str());
            TakeServiceBytes(*state, datagram, static_cast<std::size_t>(size));
            if (state->typeTest.valueHigh != 0 || state->typeTest.valueLow != 0)
                type = ModuleType{state->typeTest.valueHigh, state->typeTest.valueLow};
        }
    }
    hostos::CloseSocket(socket);
    return type;
}

}  // namespace kravent::cli
