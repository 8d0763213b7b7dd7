// UDP socket with broadcast sending and a receive with a time limit.
#include "address_text.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
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
