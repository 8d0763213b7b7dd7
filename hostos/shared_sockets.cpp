// The parts of the socket contract that every system shares.
#include <chrono>

#include "hostos/hostos.h"

namespace kravent::hostos {

std::string FormatAddress(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFFu) + "." +
           std::to_string(address >> 8 & 0xFFu) + "." + std::to_string(address & 0xFFu);
}

std::string FormatEndpoint(const Endpoint& endpoint) {
    return FormatAddress(endpoint.address) + ":" + std::to_string(endpoint.port);
}

bool WaitReadable(SocketHandle socket, int timeoutMs) {
    const SocketHandle sockets[1] = {socket};
    const std::optional<std::uint32_t> readable = WaitReadable(sockets, timeoutMs);
    return readable && *readable != 0;
}

WaitOutcome WaitReadable(SocketHandle socket, const WakeSignal& wake, int timeoutMs) {
    const SocketHandle sockets[2] = {wake.handle(), socket};
    const std::optional<std::uint32_t> readable = WaitReadable(sockets, timeoutMs);
    if (!readable) return WaitOutcome::Error;
    if (*readable == 0) return WaitOutcome::Timeout;
    return (*readable & 1u) != 0 ? WaitOutcome::Woken : WaitOutcome::Readable;
}

bool SendAll(SocketHandle socket, const std::uint8_t* data, std::size_t size, std::size_t piece) {
    if (piece > 0) SendWithoutDelay(socket);
    while (size > 0) {
        const long n = SendSome(socket, data, piece > 0 && piece < size ? piece : size);
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool SleepUnlessWoken(const WakeSignal& wake, std::uint32_t ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        if (WaitReadable(kNoSocket, wake, static_cast<int>(left.count())) == WaitOutcome::Woken) return false;
    }
}

}  // namespace kravent::hostos
