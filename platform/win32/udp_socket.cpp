// UDP with broadcast permission. What Winsock reports on a receive (a datagram cut to
// the buffer, a port-unreachable answer to an earlier send) never escapes to callers.
#include "platform/win32/windows_api.h"

#include <iphlpapi.h>
#include <mswsock.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace kravent::platform {

namespace {

constexpr int kMaxInterfaces = 16;

// A UDP socket on `address` (port of the system's choice) with broadcast allowed.
SOCKET OpenDatagramSocket(const in_addr& address) {
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return s;
    const BOOL enable = TRUE;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    if (setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&enable), sizeof enable) != 0 ||
        bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    // Without this a port-unreachable answer makes the next receive fail with
    // WSAECONNRESET; a request to a host where nothing listens is simply unanswered.
    BOOL reportReset = FALSE;
    DWORD returned = 0;
    WSAIoctl(s, SIO_UDP_CONNRESET, &reportReset, sizeof reportReset, nullptr, 0, &returned, nullptr, nullptr);
    return s;
}

}  // namespace

struct UdpSocket::Impl {
    SOCKET socket = INVALID_SOCKET;
    // One per interface of the last SendBroadcast: each one's answers come back to it.
    SOCKET interfaceSockets[kMaxInterfaces] = {};
    int interfaceCount = 0;

    void CloseInterfaceSockets() {
        for (int i = 0; i < interfaceCount; ++i) closesocket(interfaceSockets[i]);
        interfaceCount = 0;
    }
};

UdpSocket::UdpSocket() : impl_(std::make_unique<Impl>()) {}

UdpSocket::~UdpSocket() { Close(); }

bool UdpSocket::Open() {
    if (impl_->socket != INVALID_SOCKET || !EnsureWinsock()) return false;
    in_addr any{};
    any.s_addr = htonl(INADDR_ANY);
    impl_->socket = OpenDatagramSocket(any);
    return impl_->socket != INVALID_SOCKET;
}

void UdpSocket::Close() {
    impl_->CloseInterfaceSockets();
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

int UdpSocket::SendBroadcast(int port, const void* data, int length, BroadcastFailureFn onFailure, void* user) {
    if (impl_->socket == INVALID_SOCKET || port < 1 || port > 65535 || length < 0 || (data == nullptr && length > 0))
        return 0;
    impl_->CloseInterfaceSockets();
    sockaddr_in everyone{};
    everyone.sin_family = AF_INET;
    everyone.sin_port = htons(static_cast<u_short>(port));
    everyone.sin_addr.s_addr = htonl(INADDR_BROADCAST);

    std::vector<unsigned char> table(16384);
    ULONG size = static_cast<ULONG>(table.size());
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(table.data());
    ULONG result = GetAdaptersAddresses(AF_INET, flags, nullptr, adapters, &size);
    if (result == ERROR_BUFFER_OVERFLOW) {
        table.resize(size);
        adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(table.data());
        result = GetAdaptersAddresses(AF_INET, flags, nullptr, adapters, &size);
    }
    int through = 0;
    bool anyInterface = false;
    for (const IP_ADAPTER_ADDRESSES* a = result == NO_ERROR ? adapters : nullptr; a != nullptr; a = a->Next) {
        if (a->OperStatus != IfOperStatusUp || a->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
        for (const IP_ADAPTER_UNICAST_ADDRESS* u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
            if (u->Address.lpSockaddr == nullptr || u->Address.lpSockaddr->sa_family != AF_INET) continue;
            anyInterface = true;
            const in_addr address = reinterpret_cast<const sockaddr_in*>(u->Address.lpSockaddr)->sin_addr;
            // Bound to the interface's address, the broadcast leaves through that interface.
            SOCKET s = impl_->interfaceCount < kMaxInterfaces ? OpenDatagramSocket(address) : INVALID_SOCKET;
            if (s != INVALID_SOCKET &&
                sendto(s, static_cast<const char*>(data), length, 0, reinterpret_cast<const sockaddr*>(&everyone),
                       sizeof everyone) == length) {
                impl_->interfaceSockets[impl_->interfaceCount++] = s;
                ++through;
                continue;
            }
            if (s != INVALID_SOCKET) closesocket(s);
            char text[INET_ADDRSTRLEN] = {};
            if (onFailure != nullptr && inet_ntop(AF_INET, &address, text, sizeof text) != nullptr) onFailure(user, text);
        }
    }
    if (!anyInterface && SendTo("255.255.255.255", port, data, length)) through = 1;
    return through;
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
    for (int i = 0; i < impl_->interfaceCount; ++i) FD_SET(impl_->interfaceSockets[i], &readable);
    timeval limit{static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000 * 1000)};
    if (select(0, &readable, nullptr, nullptr, timeoutMs == kInfinite ? nullptr : &limit) < 1) return 0;
    SOCKET ready = impl_->socket;
    for (int i = 0; i < impl_->interfaceCount && !FD_ISSET(ready, &readable); ++i) ready = impl_->interfaceSockets[i];

    sockaddr_in from{};
    int fromLength = sizeof from;
    int received = recvfrom(ready, static_cast<char*>(buffer), capacity, 0,
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
