// Sockets on Winsock: select for the waits, and for the wake signal a
// UDP socket on loopback that sends itself one byte.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "hostos/hostos.h"

namespace kravent::hostos {

namespace {

bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SOCKET Native(SocketHandle socket) { return static_cast<SOCKET>(socket); }
SocketHandle Handle(SOCKET socket) {
    return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket);
}

sockaddr_in MakeSockaddr(std::uint32_t address, std::uint16_t port) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    out.sin_addr.s_addr = htonl(address);
    return out;
}

Endpoint FromSockaddr(const sockaddr_in& address) { return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)}; }

SocketHandle Fail(SOCKET socket, std::string& error, const std::string& what) {
    error = what + ": Winsock error " + std::to_string(WSAGetLastError());
    if (socket != INVALID_SOCKET) closesocket(socket);
    return kNoSocket;
}

void SetOption(SOCKET socket, int level, int name) {
    const BOOL on = TRUE;
    setsockopt(socket, level, name, reinterpret_cast<const char*>(&on), sizeof on);
}

SocketHandle OpenBound(int type, const Endpoint& local, int reuse, bool broadcast, std::string& error) {
    if (!StartWinsock()) {
        error = "Winsock did not start";
        return kNoSocket;
    }
    const SOCKET s = socket(AF_INET, type, 0);
    if (s == INVALID_SOCKET) return Fail(s, error, "socket");
    SetOption(s, SOL_SOCKET, reuse);
    if (broadcast) {
        SetOption(s, SOL_SOCKET, SO_BROADCAST);
        SetOption(s, IPPROTO_IP, IP_PKTINFO);
    }
    const sockaddr_in sa = MakeSockaddr(local.address, local.port);
    if (bind(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        return Fail(s, error, std::string(type == SOCK_STREAM ? "bind TCP " : "bind UDP ") + FormatEndpoint(local));
    return Handle(s);
}

// WSARecvMsg, the one receive that reports a datagram's destination, or null.
LPFN_WSARECVMSG RecvMsgFunction(SOCKET socket) {
    static const LPFN_WSARECVMSG function = [socket] {
        GUID id = WSAID_WSARECVMSG;
        LPFN_WSARECVMSG found = nullptr;
        DWORD size = 0;
        if (WSAIoctl(socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &found, sizeof found, &size, nullptr,
                     nullptr) != 0)
            return LPFN_WSARECVMSG{nullptr};
        return found;
    }();
    return function;
}

}  // namespace

WakeSignal::WakeSignal() {
    if (!StartWinsock()) return;
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s == INVALID_SOCKET) return;
    sockaddr_in self = MakeSockaddr(INADDR_LOOPBACK, 0);
    int size = sizeof self;
    u_long nonBlocking = 1;
    if (bind(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&self), &size) != 0 ||
        connect(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0 || ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return;
    }
    handle_ = Handle(s);
}
WakeSignal::~WakeSignal() { CloseSocket(handle_); }
void WakeSignal::Signal() {
    const char byte = 1;
    send(Native(handle_), &byte, 1, 0);
}
void WakeSignal::Clear() {
    char bytes[16];
    while (recv(Native(handle_), bytes, sizeof bytes, 0) > 0) {}
}

std::optional<std::uint32_t> WaitReadable(std::span<const SocketHandle> sockets, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    for (const SocketHandle s : sockets)
        if (s != kNoSocket) FD_SET(Native(s), &readable);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int n = select(0, &readable, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit);
    if (n < 0) return std::nullopt;
    std::uint32_t result = 0;
    for (std::size_t k = 0; k < sockets.size(); ++k)
        if (sockets[k] != kNoSocket && FD_ISSET(Native(sockets[k]), &readable)) result |= 1u << k;
    return result;
}

std::optional<std::uint32_t> ParseAddress(const std::string& text) {
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1) return std::nullopt;
    return ntohl(address.s_addr);
}

// Exclusive, so that a second simulator on the same port fails as on Linux.
SocketHandle OpenTcpSocket(const Endpoint& local, std::string& error) {
    return OpenBound(SOCK_STREAM, local, SO_EXCLUSIVEADDRUSE, false, error);
}

SocketHandle OpenTcpListener(const Endpoint& local, std::string& error) {
    const SocketHandle s = OpenTcpSocket(local, error);
    if (s == kNoSocket) return s;
    if (listen(Native(s), 16) != 0) return Fail(Native(s), error, "listen");
    return s;
}

SocketHandle OpenUdpSocket(const Endpoint& local, bool shared, std::string& error) {
    return OpenBound(SOCK_DGRAM, local, shared ? SO_REUSEADDR : SO_EXCLUSIVEADDRUSE, true, error);
}

// Connects without blocking, to bound the wait, and then blocks again.
SocketHandle ConnectTcp(const Endpoint& peer, int timeoutMs) {
    if (!StartWinsock()) return kNoSocket;
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return kNoSocket;
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    const sockaddr_in to = MakeSockaddr(peer.address, peer.port);
    bool connected = connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
    if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
        connected = select(0, nullptr, &writable, &failed, &limit) > 0 && FD_ISSET(s, &writable) != 0;
    }
    nonBlocking = 0;
    if (!connected || ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        closesocket(s);
        return kNoSocket;
    }
    return Handle(s);
}

std::uint16_t BoundPort(SocketHandle socket) {
    sockaddr_in sa{};
    int size = sizeof sa;
    if (getsockname(Native(socket), reinterpret_cast<sockaddr*>(&sa), &size) != 0) return 0;
    return ntohs(sa.sin_port);
}

void CloseSocket(SocketHandle& socket) {
    if (socket != kNoSocket) closesocket(Native(socket));
    socket = kNoSocket;
}

void ResetConnection(SocketHandle& socket) {
    const linger abort{1, 0};
    if (socket != kNoSocket)
        setsockopt(Native(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
    CloseSocket(socket);
}

SocketHandle AcceptConnection(SocketHandle listener) {
    const SOCKET s = accept(Native(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET) return kNoSocket;
    SetOption(s, IPPROTO_TCP, TCP_NODELAY);
    return Handle(s);
}

void SendWithoutDelay(SocketHandle socket) { SetOption(Native(socket), IPPROTO_TCP, TCP_NODELAY); }

void ShutdownSocket(SocketHandle socket) { shutdown(Native(socket), SD_BOTH); }

Endpoint PeerOf(SocketHandle socket) {
    sockaddr_in peer{};
    int size = sizeof peer;
    if (getpeername(Native(socket), reinterpret_cast<sockaddr*>(&peer), &size) != 0) return {};
    return FromSockaddr(peer);
}

std::uint32_t LocalAddressOf(SocketHandle socket) {
    sockaddr_in local{};
    int size = sizeof local;
    if (getsockname(Native(socket), reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
    return FromSockaddr(local).address;
}

std::uint32_t SourceAddressToward(const Endpoint& peer) {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return 0;
    const sockaddr_in to = MakeSockaddr(peer.address, peer.port != 0 ? peer.port : std::uint16_t{9});
    // Connecting a datagram socket sends nothing: it only picks the route and the source.
    const std::uint32_t source = connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0
                                     ? LocalAddressOf(Handle(s))
                                     : 0;
    closesocket(s);
    return source;
}

long ReceiveAvailable(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity) {
    const int size = static_cast<int>(std::min<std::size_t>(capacity, 1 << 30));
    return recv(Native(socket), reinterpret_cast<char*>(buffer), size, 0);
}

// A blocking recv is not sure to end on shutdown: the wait for bytes watches `stop` too.
long Receive(SocketHandle socket, const WakeSignal& stop, std::uint8_t* buffer, std::size_t capacity) {
    if (WaitReadable(socket, stop) != WaitOutcome::Readable) return -1;
    return ReceiveAvailable(socket, buffer, capacity);
}

long SendSome(SocketHandle socket, const std::uint8_t* data, std::size_t size) {
    const int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
    return send(Native(socket), reinterpret_cast<const char*>(data), chunk, 0);
}

long ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity, Endpoint& from,
                     std::optional<std::uint32_t>& destination) {
    sockaddr_in sender{};
    destination.reset();
    const ULONG size = static_cast<ULONG>(std::min<std::size_t>(capacity, 1 << 30));
    if (const LPFN_WSARECVMSG recvMsg = RecvMsgFunction(Native(socket))) {
        WSABUF data{size, reinterpret_cast<char*>(buffer)};
        alignas(WSACMSGHDR) std::array<char, 64> control{};
        WSAMSG msg{};
        msg.name = reinterpret_cast<sockaddr*>(&sender);
        msg.namelen = sizeof sender;
        msg.lpBuffers = &data;
        msg.dwBufferCount = 1;
        msg.Control = {static_cast<ULONG>(control.size()), control.data()};
        DWORD received = 0;
        if (recvMsg(Native(socket), &msg, &received, nullptr, nullptr) != 0) return -1;
        from = FromSockaddr(sender);
        // The one control message asked for: the destination of the datagram.
        WSACMSGHDR header{};
        std::memcpy(&header, control.data(), sizeof header);
        const std::size_t dataOffset = (sizeof header + alignof(WSACMSGHDR) - 1) / alignof(WSACMSGHDR) * alignof(WSACMSGHDR);
        if (msg.Control.len >= dataOffset + sizeof(IN_PKTINFO) && header.cmsg_level == IPPROTO_IP &&
            header.cmsg_type == IP_PKTINFO) {
            IN_PKTINFO info{};
            std::memcpy(&info, control.data() + dataOffset, sizeof info);
            destination = ntohl(info.ipi_addr.s_addr);
        }
        return static_cast<long>(received);
    }
    int senderSize = sizeof sender;
    const int n = recvfrom(Native(socket), reinterpret_cast<char*>(buffer), static_cast<int>(size), 0,
                           reinterpret_cast<sockaddr*>(&sender), &senderSize);
    from = FromSockaddr(sender);
    return n;
}

bool SendDatagram(SocketHandle socket, const std::uint8_t* data, std::size_t size, const Endpoint& to) {
    const sockaddr_in address = MakeSockaddr(to.address, to.port);
    return sendto(Native(socket), reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                  reinterpret_cast<const sockaddr*>(&address), sizeof address) == static_cast<int>(size);
}

}  // namespace kravent::hostos
