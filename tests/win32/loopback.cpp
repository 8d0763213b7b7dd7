#include "tests/win32/loopback.h"

#include "platform/platform.h"

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

bool WaitReadable(SOCKET socket, std::uint32_t timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval limit{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000 * 1000)};
    return select(0, &set, nullptr, nullptr, &limit) == 1;
}

namespace {

int BindLoopback(SOCKET socket, bool anyAddress) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(anyAddress ? INADDR_ANY : INADDR_LOOPBACK);
    if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 0;
    int length = sizeof address;
    getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

}  // namespace

Listener::Listener() {
    platform::EnsureWinsock();
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    port_ = BindLoopback(socket_, false);
    listen(socket_, 8);
}

Listener::~Listener() { Close(); }

void Listener::Close() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

SOCKET Listener::Accept(std::uint32_t timeoutMs) {
    if (!WaitReadable(socket_, timeoutMs)) return INVALID_SOCKET;
    return accept(socket_, nullptr, nullptr);
}

UdpPeer::UdpPeer(bool anyAddress) {
    platform::EnsureWinsock();
    socket_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    port_ = BindLoopback(socket_, anyAddress);
}

UdpPeer::~UdpPeer() { closesocket(socket_); }

int UdpPeer::Receive(char* buffer, int capacity, std::uint32_t timeoutMs, sockaddr_in* from) {
    if (!WaitReadable(socket_, timeoutMs)) return -1;
    int length = sizeof *from;
    return recvfrom(socket_, buffer, capacity, 0, reinterpret_cast<sockaddr*>(from), &length);
}

bool UdpPeer::SendTo(const sockaddr_in& to, const void* data, int length) {
    return sendto(socket_, static_cast<const char*>(data), length, 0, reinterpret_cast<const sockaddr*>(&to),
                  sizeof to) == length;
}

}  // namespace kravent::wintest
