#include "tests/win32/loopback.h"

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace kravent::wintest {

bool PumpUntil(bool (*done)(void*), void* context, std::uint32_t timeoutMs) {
    const auto end = platform::SteadyMilliseconds() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done != nullptr && done(context)) return true;
        const auto now = platform::SteadyMilliseconds();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

void PumpFor(std::uint32_t spanMs) { PumpUntil(nullptr, nullptr, spanMs); }

UdpPeer::UdpPeer(bool anyAddress) {
    std::string error;
    socket_ = hostos::OpenUdpSocket({anyAddress ? 0u : hostos::kLoopback, 0}, false, error);
    port_ = hostos::BoundPort(socket_);
}

int UdpPeer::Receive(char* buffer, int capacity, std::uint32_t timeoutMs, hostos::Endpoint* from) {
    if (!hostos::WaitReadable(socket_, static_cast<int>(timeoutMs))) return -1;
    std::optional<std::uint32_t> destination;
    return static_cast<int>(hostos::ReceiveDatagram(socket_, reinterpret_cast<std::uint8_t*>(buffer),
                                                    static_cast<std::size_t>(capacity), *from, destination));
}

bool UdpPeer::SendTo(const hostos::Endpoint& to, const void* data, int length) {
    return hostos::SendDatagram(socket_, static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(length), to);
}

}  // namespace kravent::wintest
