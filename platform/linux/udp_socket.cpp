// UDP socket with broadcast sending and a receive with a time limit.
#include "address_text.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kravent::platform {

struct UdpSocket::Impl {
    int fd = -1;
};

UdpSocket::UdpSocket() : impl_(std::make_unique<Impl>()) {}

UdpSocket::~UdpSocket() { Close(); }

bool UdpSocket::Open() {
    if (impl_->fd >= 0) return true;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const int on = 1;
    sockaddr_in local{};
    local.sin_family = AF_INET;  // any address, a port of the system's choice
    if (::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return false;
    }
    impl_->fd = fd;
    return true;
}

void UdpSocket::Close() {
    if (impl_->fd < 0) return;
    ::close(impl_->fd);
    impl_->fd = -1;
}

bool UdpSocket::SendTo(const char* ipText, int port, const void* data, int length) {
    sockaddr_in destination{};
    if (impl_->fd < 0 || length < 0 || (data == nullptr && length > 0)) return false;
    if (!detail::MakeAddress(ipText, port, destination) || port == 0) return false;
    ssize_t sent = 0;
    do {
        sent = ::sendto(impl_->fd, data, static_cast<std::size_t>(length), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    } while (sent < 0 && errno == EINTR);
    return sent == length;
}

namespace {

// One datagram out of interface `interfaceIndex`, from `source`: IP_PKTINFO picks the
// interface where the routing table would have picked one for every broadcast.
bool SendThrough(int fd, unsigned interfaceIndex, const in_addr& source, const sockaddr_in& destination,
                 const void* data, int length) {
    iovec payload{const_cast<void*>(data), static_cast<std::size_t>(length)};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in*>(&destination);
    message.msg_namelen = sizeof destination;
    message.msg_iov = &payload;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(interfaceIndex);
    info.ipi_spec_dst = source;
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    ssize_t sent = 0;
    do {
        sent = ::sendmsg(fd, &message, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == length;
}

}  // namespace

int UdpSocket::SendBroadcast(int port, const void* data, int length, BroadcastFailureFn onFailure, void* user) {
    sockaddr_in destination{};
    if (impl_->fd < 0 || length < 0 || (data == nullptr && length > 0) || port == 0 ||
        !detail::MakeAddress("255.255.255.255", port, destination))
        return 0;
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) interfaces = nullptr;
    int through = 0;
    bool anyInterface = false;
    for (const ifaddrs* i = interfaces; i != nullptr; i = i->ifa_next) {
        const unsigned flags = i->ifa_flags;
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET || (flags & IFF_UP) == 0 ||
            (flags & IFF_BROADCAST) == 0 || (flags & IFF_LOOPBACK) != 0)
            continue;
        const unsigned index = ::if_nametoindex(i->ifa_name);
        if (index == 0) continue;
        anyInterface = true;
        const in_addr source = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
        if (SendThrough(impl_->fd, index, source, destination, data, length)) {
            ++through;
        } else if (onFailure != nullptr) {
            char text[16] = {};
            detail::WriteAddressText(source, text, sizeof text);
            onFailure(user, text);
        }
    }
    if (interfaces != nullptr) ::freeifaddrs(interfaces);
    if (!anyInterface && SendTo("255.255.255.255", port, data, length)) through = 1;
    return through;
}

bool UdpSocket::EnlargeReceiveBuffer(int bytes) {
    if (impl_->fd < 0 || bytes <= 0) return false;
    // SO_RCVBUFFORCE passes the system's limit where the process may; SO_RCVBUF is
    // capped by it, which still doubles the default queue.
    return ::setsockopt(impl_->fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) == 0 ||
           ::setsockopt(impl_->fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) == 0;
}

int UdpSocket::ReceiveFrom(void* buffer, int capacity, std::uint32_t timeoutMs, char* senderText,
                           std::size_t senderCapacity, int* senderPort, DatagramKind* kind) {
    if (senderText != nullptr && senderCapacity > 0) senderText[0] = '\0';
    if (senderPort != nullptr) *senderPort = 0;
    if (kind != nullptr) *kind = DatagramKind::None;
    if (impl_->fd < 0) return 0;
    if (buffer == nullptr || capacity < 0) capacity = 0;

    const std::uint64_t deadline = SteadyMilliseconds() + timeoutMs;
    pollfd waiting{impl_->fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&waiting, 1, detail::PollTimeout(deadline, timeoutMs == kInfinite));
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return 0;

    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    // MSG_TRUNC: the datagram's full length comes back; what did not fit is dropped.
    const ssize_t length = ::recvfrom(impl_->fd, buffer, static_cast<std::size_t>(capacity),
                                      MSG_TRUNC | MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (length < 0 || from.sin_family != AF_INET) return 0;
    if (kind != nullptr) {
        *kind = length == 0 ? DatagramKind::Empty : length > capacity ? DatagramKind::Truncated : DatagramKind::Whole;
    }
    if (length == 0 || capacity == 0) return 0;
    detail::WriteAddressText(from.sin_addr, senderText, senderCapacity);
    if (senderPort != nullptr) *senderPort = ntohs(from.sin_port);
    return static_cast<int>(std::min<ssize_t>(length, capacity));
}

}  // namespace kravent::platform
