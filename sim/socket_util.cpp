#include "sim/socket_util.h"

#include <chrono>

#include "sim/register_text.h"

namespace kravent::sim {

std::string FormatEndpoint(const Endpoint& endpoint) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(endpoint.address >> 24),
                                   static_cast<std::uint8_t>(endpoint.address >> 16),
                                   static_cast<std::uint8_t>(endpoint.address >> 8),
                                   static_cast<std::uint8_t>(endpoint.address)};
    return FormatDottedQuad(bytes) + ":" + std::to_string(endpoint.port);
}

WaitOutcome WaitReadable(SocketHandle socket, const WakeSignal& wake, int timeoutMs) {
    const SocketHandle sockets[2] = {wake.handle(), socket};
    const std::optional<std::uint32_t> readable = WaitReadable(sockets, timeoutMs);
    if (!readable) return WaitOutcome::Error;
    if (*readable == 0) return WaitOutcome::Timeout;
    return (*readable & 1u) != 0 ? WaitOutcome::Woken : WaitOutcome::Readable;
}

bool SleepUnlessWoken(const WakeSignal& wake, std::uint32_t ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        if (WaitReadable(kNoSocket, wake, static_cast<int>(left.count())) == WaitOutcome::Woken) return false;
    }
}

bool IsAnyAddress(const std::string& address) { return address.empty() || address == "0.0.0.0"; }

std::optional<std::uint32_t> BindableAddress(const std::string& address) {
    if (IsAnyAddress(address)) return 0;
    const auto quad = ParseDottedQuad(address);
    if (!quad) return std::nullopt;
    return std::uint32_t{(*quad)[0]} << 24 | std::uint32_t{(*quad)[1]} << 16 | std::uint32_t{(*quad)[2]} << 8 | (*quad)[3];
}

}  // namespace kravent::sim
