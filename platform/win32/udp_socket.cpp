// UDP with broadcast permission. What Winsock reports on a receive (a datagram cut to
// the buffer, a port-unreachable answer to an earlier send) never escapes to callers.
#include "platform/win32/windows_api.h"

#include <mswsock.h>

#include <algorithm>
#include <cstring>

namespace kravent::platform {

struct UdpSocket::Impl {
    SOCKET socket = INVALID_SOCKET;
};

UdpSocket::UdpSocket() : impl_(std::make_unique<Impl>()) {}

UdpSocket::~UdpSocket() { Close(); }

bool UdpSocket::Open() {
    if (impl_->socket != INVALID_SOCKET || !EnsureWinsock()) return false;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return false;
    const BOOL enable = TRUE;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&enable), sizeof enable) != 0 ||
        bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        closesocket(s);
        return false;
    }
    // Without this a port-unreachable answer makes the next receive fail with
    // WSAECONNRESET; a request to a host where nothing listens is simply unanswered.
    BOOL reportReset = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, SIO_UDP_CONNRESET, &reportReset, sizeof reportReset, nullptr, 0, &returned, nullptr, nullptr);
    impl_->socket = s;
    return true;
}

void UdpSocket::Close() {
    if (impl_->socket == INVALID_SOCKET) return;
    closesocket(impl_->socket);
    impl_->socket = INVALID_SOCKET;
}

bool UdpSocket::SendTo(const char* ipText, int port, const void* data, int length) {
    in_addr address{};
    if (impl_->socket == INVALID_SOCKET || port < 1 || port > 65535 || length < 0 ||
        (data == nullptr && length > 0) || !ParseIPv4(ipText, &address))
        return false;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<u_short>(port));
    peer.sin_addr = address;
    const int sent = sendto(impl_->socket, static_cast<const char*>(data), length, 0,
                            reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
    return sent == length;
}

bool UdpSocket::EnlargeReceiveBuffer(int bytes) {
    if (impl_->socket == INVALID_SOCKET || bytes <= 0) return false;
    return setsockopt(impl_->socket, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes) == 0;
}

int UdpSocket::ReceiveFrom(void* buffer, int capacity, std::uint32_t timeoutMs, char* senderText,
                           std::size_t senderCapacity, int* senderPort, DatagramKind* kind) {
    if (senderText != nullptr && senderCapacity > 0) senderText[0] = '\0';
    if (senderPort != nullptr) *senderPort = 0;
    if (kind != nullptr) *kind = DatagramKind::None;
    if (impl_->socket == INVALID_SOCKET || buffer == nullptr || capacity <= 0) return 0;

    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(impl_->socket, &readable);
    timeval limit{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000 * 1000)};
    if (select(0, &readable, nullptr, nullptr, timeoutMs == kInfinite ? nullptr : &limit) != 1) return 0;

    sockaddr_in from{};
    int fromLength = sizeof from;
    int received = recvfrom(impl_->socket, static_cast<char*>(buffer), capacity, 0,
                            reinterpret_cast<sockaddr*>(&from), &fromLength);
    DatagramKind what = received == 0 ? DatagramKind::Empty : DatagramKind::Whole;
    if (received == SOCKET_ERROR) {
        // A longer datagram fills the buffer and loses its rest; other errors bring nothing.
        if (WSAGetLastError() != WSAEMSGSIZE) return 0;
        received = capacity;
        what = DatagramKind::Truncated;
    }
    if (kind != nullptr) *kind = what;
    if (received <= 0) return 0;
    char text[INET_ADDRSTRLEN] = {};
    if (senderText != nullptr && senderCapacity > 0 &&
        inet_ntop(AF_INET, &from.sin_addr, text, sizeof text) != nullptr) {
        const std::size_t length = std::min(std::strlen(text), senderCapacity - 1);
        std::memcpy(senderText, text, length);
        senderText[length] = '\0';
    }
    if (senderPort != nullptr) *senderPort = ntohs(from.sin_port);
    return received;
}

}  // namespace kravent::platform
