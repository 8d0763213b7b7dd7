// Sockets on POSIX: poll for the waits, an eventfd for the wake signal.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "hostos/hostos.h"

namespace kravent::hostos {

namespace {

int Fd(SocketHandle socket) { return static_cast<int>(socket); }

sockaddr_in MakeSockaddr(const Endpoint& endpoint) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(endpoint.port);
    out.sin_addr.s_addr = htonl(endpoint.address);
    return out;
}

Endpoint FromSockaddr(const sockaddr_in& address) { return {ntohl(address.sin_addr.s_addr), ntohs(address.sin_port)}; }

SocketHandle Fail(int fd, std::string& error, const std::string& what) {
    error = what + ": " + std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return kNoSocket;
}

void SetOption(int fd, int level, int name) {
    const int on = 1;
    ::setsockopt(fd, level, name, &on, sizeof on);
}

}  // namespace

WakeSignal::WakeSignal() : handle_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
WakeSignal::~WakeSignal() {
    if (handle_ >= 0) ::close(Fd(handle_));
}
void WakeSignal::Signal() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(Fd(handle_), &one, sizeof one);
}
void WakeSignal::Clear() {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = ::read(Fd(handle_), &value, sizeof value);
}

std::optional<std::uint32_t> WaitReadable(std::span<const SocketHandle> sockets, int timeoutMs) {
    std::array<pollfd, 4> fds{};
    std::array<std::size_t, 4> index{};
    nfds_t count = 0;
    for (std::size_t k = 0; k < sockets.size() && count < fds.size(); ++k) {
        if (sockets[k] == kNoSocket) continue;
        fds[count] = {Fd(sockets[k]), POLLIN, 0};
        index[count++] = k;
    }
    for (;;) {
        const int n = ::poll(fds.data(), count, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        std::uint32_t readable = 0;
        for (nfds_t k = 0; k < count; ++k)
            if (fds[k].revents != 0) readable |= 1u << index[k];
        return readable;
    }
}

std::optional<std::uint32_t> ParseAddress(const std::string& text) {
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1) return std::nullopt;
    return ntohl(address.s_addr);
}

SocketHandle OpenTcpSocket(const Endpoint& local, std::string& error) {
    const sockaddr_in sa = MakeSockaddr(local);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(fd, error, "socket");
    SetOption(fd, SOL_SOCKET, SO_REUSEADDR);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        return Fail(fd, error, "bind TCP " + FormatEndpoint(local));
    return fd;
}

SocketHandle OpenTcpListener(const Endpoint& local, std::string& error) {
    const SocketHandle fd = OpenTcpSocket(local, error);
    if (fd == kNoSocket) return fd;
    if (::listen(Fd(fd), 16) != 0) return Fail(Fd(fd), error, "listen");
    return fd;
}

SocketHandle OpenUdpSocket(const Endpoint& local, bool shared, std::string& error) {
    const sockaddr_in sa = MakeSockaddr(local);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(fd, error, "socket");
    SetOption(fd, SOL_SOCKET, SO_BROADCAST);
    SetOption(fd, IPPROTO_IP, IP_PKTINFO);
    if (shared) SetOption(fd, SOL_SOCKET, SO_REUSEADDR);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        return Fail(fd, error, "bind UDP " + FormatEndpoint(local));
    return fd;
}

// Connects without blocking, to bound the wait, and then blocks again.
SocketHandle ConnectTcp(const Endpoint& peer, int timeoutMs) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return kNoSocket;
    const sockaddr_in sa = MakeSockaddr(peer);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        int error = errno;
        if (error == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int n = 0;
            while ((n = ::poll(&p, 1, timeoutMs)) < 0 && errno == EINTR) {}
            socklen_t length = sizeof error;
            if (n > 0) ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        }
        if (error != 0) {
            ::close(fd);
            return kNoSocket;
        }
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::uint16_t BoundPort(SocketHandle socket) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (::getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&sa), &len) != 0) return 0;
    return ntohs(sa.sin_port);
}

void CloseSocket(SocketHandle& socket) {
    if (socket >= 0) ::close(Fd(socket));
    socket = kNoSocket;
}

void ResetConnection(SocketHandle& socket) {
    const linger abort{1, 0};
    if (socket >= 0) ::setsockopt(Fd(socket), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    CloseSocket(socket);
}

SocketHandle AcceptConnection(SocketHandle listener) {
    const int fd = ::accept4(Fd(listener), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return kNoSocket;
    SetOption(fd, IPPROTO_TCP, TCP_NODELAY);
    return fd;
}

void SendWithoutDelay(SocketHandle socket) { SetOption(Fd(socket), IPPROTO_TCP, TCP_NODELAY); }

void ShutdownSocket(SocketHandle socket) { ::shutdown(Fd(socket), SHUT_RDWR); }

Endpoint PeerOf(SocketHandle socket) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(Fd(socket), reinterpret_cast<sockaddr*>(&peer), &size) != 0) return {};
    return FromSockaddr(peer);
}

std::uint32_t LocalAddressOf(SocketHandle socket) {
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
    return FromSockaddr(local).address;
}

std::uint32_t SourceAddressToward(const Endpoint& peer) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(peer.port != 0 ? peer.port : std::uint16_t{9});
    to.sin_addr.s_addr = htonl(peer.address);
    // Connecting a datagram socket sends nothing: it only picks the route and the source.
    const std::uint32_t source =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 ? LocalAddressOf(fd) : 0;
    ::close(fd);
    return source;
}

long ReceiveAvailable(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t n = ::recv(Fd(socket), buffer, capacity, 0);
        if (n < 0 && errno == EINTR) continue;
        return static_cast<long>(n);
    }
}

// A blocking recv, which ShutdownSocket ends.
long Receive(SocketHandle socket, const WakeSignal&, std::uint8_t* buffer, std::size_t capacity) {
    return ReceiveAvailable(socket, buffer, capacity);
}

long SendSome(SocketHandle socket, const std::uint8_t* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::send(Fd(socket), data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        return static_cast<long>(n);
    }
}

long ReceiveDatagram(SocketHandle socket, std::uint8_t* buffer, std::size_t capacity, Endpoint& from,
                     std::optional<std::uint32_t>& destination) {
    sockaddr_in sender{};
    iovec iov{buffer, capacity};
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(in_pktinfo))> control{};
    msghdr msg{};
    msg.msg_name = &sender;
    msg.msg_namelen = sizeof sender;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control.data();
    msg.msg_controllen = control.size();
    const ssize_t n = ::recvmsg(Fd(socket), &msg, 0);
    from = FromSockaddr(sender);
    destination.reset();
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); n > 0 && c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO) continue;
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(c), sizeof info);
        destination = ntohl(info.ipi_addr.s_addr);
    }
    return static_cast<long>(n);
}

bool SendDatagram(SocketHandle socket, const std::uint8_t* data, std::size_t size, const Endpoint& to) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(to.port);
    address.sin_addr.s_addr = htonl(to.address);
    return ::sendto(Fd(socket), data, size, 0, reinterpret_cast<sockaddr*>(&address), sizeof address) ==
           static_cast<ssize_t>(size);
}

}  // namespace kravent::hostos
