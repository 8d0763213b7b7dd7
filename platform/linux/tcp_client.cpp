// Non-blocking TCP client. The connect outcome, readable data and the peer's close come
// from the library-wide notification loop; Open(), Close() and a failing SendBuf() raise
// their notifications on the calling thread.
#include "tcp_client_impl.h"

#include "address_text.h"
#include "notification_loop.h"

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kravent::platform {

namespace {

using detail::NotificationLoop;
using Phase = TcpClient::Impl::Phase;

constexpr std::uint32_t kConnectingEvents = EPOLLIN | EPOLLOUT | EPOLLRDHUP;
constexpr std::uint32_t kConnectedEvents = EPOLLIN | EPOLLRDHUP;

int SocketError(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
}

}  // namespace

void TcpClient::Impl::CloseSocketLocked() {
    if (fd < 0) return;
    if (key != 0) NotificationLoop::Instance().Unwatch(fd, key);
    ::close(fd);
    fd = -1;
    key = 0;
    pendingError = 0;
    phase.store(Phase::Closed, std::memory_order_release);
}

void TcpClient::Impl::FailAndRaise(std::unique_lock<std::mutex>& lock, int errorCode) {
    CloseSocketLocked();
    lock.unlock();
    NotificationLoop& loop = NotificationLoop::Instance();
    if (loop.Deliver(*this, SocketNotification::Error, errorCode)) {
        loop.Deliver(*this, SocketNotification::Disconnected, 0);
    }
}

int TcpClient::Impl::AvailableLocked() const {
    int count = 0;
    if (fd < 0 || ::ioctl(fd, FIONREAD, &count) != 0 || count < 0) return 0;
    return count;
}

void TcpClient::Impl::OnSocketEvents(std::uint64_t eventKey, std::uint32_t events) {
    NotificationLoop& loop = NotificationLoop::Instance();
    std::unique_lock lock(io);
    if (key != eventKey) return;  // that socket has been closed meanwhile

    if (phase.load(std::memory_order_relaxed) == Phase::Connecting) {
        int error = pendingError != 0 ? pendingError : SocketError(fd);
        if (error == 0 && (events & (EPOLLERR | EPOLLHUP)) != 0) error = ECONNREFUSED;
        if (error != 0) {
            // A failed attempt: Error, and no Disconnected, since it never connected.
            CloseSocketLocked();
            lock.unlock();
            loop.Deliver(*this, SocketNotification::Error, error);
            return;
        }
        if ((events & EPOLLOUT) == 0) return;
        phase.store(Phase::Connected, std::memory_order_release);
        loop.Rearm(fd, key, kConnectedEvents);  // raises Read at once for data that came along
        lock.unlock();
        loop.Deliver(*this, SocketNotification::Connected, 0);
        return;
    }

    if ((events & EPOLLERR) != 0 || pendingError != 0) {
        int error = pendingError != 0 ? pendingError : SocketError(fd);
        FailAndRaise(lock, error != 0 ? error : ECONNRESET);
        return;
    }
    const bool peerClosed = (events & (EPOLLRDHUP | EPOLLHUP)) != 0;

    // One Read per edge. If the handler took bytes and more are left, the edge is raised
    // again, so other clients get their turn; a handler that takes nothing is not called
    // again before new bytes come. After the peer's close the rest is drained here.
    while (AvailableLocked() > 0) {
        const std::uint64_t readsBefore = reads;
        lock.unlock();
        if (!loop.Deliver(*this, SocketNotification::Read, 0)) return;
        lock.lock();
        if (key != eventKey) return;
        if (pendingError != 0) {
            FailAndRaise(lock, pendingError);
            return;
        }
        if (reads == readsBefore) break;
        if (!peerClosed) {
            if (AvailableLocked() > 0) loop.Rearm(fd, key, kConnectedEvents);
            return;
        }
    }
    if (!peerClosed) return;
    CloseSocketLocked();
    lock.unlock();
    loop.Deliver(*this, SocketNotification::Disconnected, 0);
}

TcpClient::TcpClient(NotifyFn notify, void* user) : impl_(std::make_unique<Impl>(notify, user)) {
    NotificationLoop::Instance().AddClient();
}

TcpClient::~TcpClient() {
    NotificationLoop& loop = NotificationLoop::Instance();
    loop.Retire(*impl_);
    {
        std::lock_guard lock(impl_->io);
        impl_->CloseSocketLocked();
    }
    impl_.reset();
    loop.RemoveClient();
}

bool TcpClient::Open(const char* ipText, int port) {
    sockaddr_in address{};
    if (!detail::MakeAddress(ipText, port, address)) return false;

    std::uint64_t attempt = 0;
    {
        std::lock_guard lock(impl_->io);
        if (impl_->fd >= 0) return false;
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);  // request and answer: no Nagle delay
        impl_->fd = fd;
        impl_->phase.store(Phase::Connecting, std::memory_order_release);
        attempt = ++impl_->attempt;
    }

    // Raised before the connect is issued, so that its outcome cannot overtake them.
    NotificationLoop& loop = NotificationLoop::Instance();
    if (!loop.Deliver(*impl_, SocketNotification::Lookup, 0)) return true;
    if (!loop.Deliver(*impl_, SocketNotification::Connecting, 0)) return true;

    std::lock_guard lock(impl_->io);
    if (impl_->attempt != attempt || impl_->fd < 0) return false;  // closed by a handler
    int result = 0;
    do {
        result = ::connect(impl_->fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    // Watched only now: a socket that has not begun to connect reads as hung up. A connect
    // refused at once leaves the socket closed, which the loop then sees and reports.
    if (result != 0 && errno != EINPROGRESS) impl_->pendingError = errno;
    impl_->key = loop.Watch(impl_->fd, *impl_, kConnectingEvents);
    if (impl_->key == 0) {
        impl_->CloseSocketLocked();
        return false;
    }
    return true;
}

void TcpClient::Close() {
    std::unique_lock lock(impl_->io);
    if (impl_->fd < 0) return;
    const bool wasConnected = impl_->phase.load(std::memory_order_relaxed) == Phase::Connected;
    impl_->CloseSocketLocked();
    lock.unlock();
    if (wasConnected) NotificationLoop::Instance().Deliver(*impl_, SocketNotification::Disconnected, 0);
}

bool TcpClient::Active() const { return impl_->phase.load(std::memory_order_acquire) == Phase::Connected; }

int TcpClient::ReceiveLength() {
    std::lock_guard lock(impl_->io);
    return impl_->AvailableLocked();
}

int TcpClient::ReceiveBuf(void* buffer, int count) {
    if (count < 0 || (buffer == nullptr && count > 0)) return -1;
    std::lock_guard lock(impl_->io);
    if (impl_->fd < 0) return -1;
    if (count == 0) return 0;
    ssize_t n = 0;
    do {
        n = ::recv(impl_->fd, buffer, static_cast<std::size_t>(count), MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        // A broken connection is reported by the loop: Error, then Disconnected.
        if (errno != EAGAIN && errno != EWOULDBLOCK && impl_->key != 0) {
            impl_->pendingError = errno;
            NotificationLoop::Instance().Rearm(impl_->fd, impl_->key, kConnectedEvents | EPOLLOUT);
        }
        return -1;
    }
    if (n > 0) ++impl_->reads;
    return static_cast<int>(n);
}

int TcpClient::SendBuf(const void* buffer, int count) {
    if (count < 0 || (buffer == nullptr && count > 0)) return -1;
    std::unique_lock lock(impl_->io);
    if (impl_->phase.load(std::memory_order_relaxed) != Phase::Connected) return -1;
    ssize_t n = 0;
    do {
        n = ::send(impl_->fd, buffer, static_cast<std::size_t>(count), MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n >= 0) return static_cast<int>(n);
    const int error = errno;
    if (error != EAGAIN && error != EWOULDBLOCK) impl_->FailAndRaise(lock, error);
    return -1;
}

bool TcpClient::InNotification() const { return NotificationLoop::InDelivery(*impl_); }

}  // namespace kravent::platform
