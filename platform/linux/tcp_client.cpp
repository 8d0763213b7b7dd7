// Non-blocking TCP client. The connect outcome, readable data and the peer's close come
// from the library-wide notification loop; Open(), Close() and a failing SendBuf() raise
// their notifications on the calling thread.
#include "tcp_client_impl.h"

#include "address_text.h"
#include "notification_loop.h"

#include <cerrno>
#include <climits>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
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

TcpClient::Impl::Impl(NotifyFn notifyFn, void* userData)
    : notify(notifyFn), user(userData), wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TcpClient::Impl::~Impl() {
    if (wakeFd >= 0) ::close(wakeFd);
}

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
    // A thread takes the bytes itself; what it leaves is raised again when it is done.
    if (ownReceiving) return;

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
        loopDelivering = true;
        lock.unlock();
        if (!loop.Deliver(*this, SocketNotification::Connected, 0)) return;
        lock.lock();
        loopDelivering = false;
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
        loopDelivering = true;
        lock.unlock();
        if (!loop.Deliver(*this, SocketNotification::Read, 0)) return;
        lock.lock();
        loopDelivering = false;
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

OwnReceive TcpClient::ReceiveOnThisThread(std::uint32_t timeoutMs, Event& done) {
    Impl& impl = *impl_;
    NotificationLoop& loop = NotificationLoop::Instance();
    int fd = -1;
    {
        std::lock_guard lock(impl.io);
        if (impl.interrupted.load(std::memory_order_acquire) || impl.wakeFd < 0 || impl.fd < 0 || impl.key == 0 ||
            impl.phase.load(std::memory_order_relaxed) != Phase::Connected || impl.loopDelivering || impl.ownReceiving)
            return OwnReceive::NotHere;
        // Another delivery may have ended since the caller last looked at `done`.
        if (done.Wait(0) == WaitResult::Signaled) return OwnReceive::Done;
        impl.ownReceiving = true;
        // The loop is no longer woken for the bytes: only this thread is.
        loop.Rearm(impl.fd, impl.key, EPOLLRDHUP);
        fd = impl.fd;
    }

    pollfd watched[2] = {{fd, POLLIN | POLLRDHUP, 0}, {impl.wakeFd, POLLIN, 0}};
    int ready = 0;
    do {
        ready = ::poll(watched, 2, timeoutMs >= static_cast<std::uint32_t>(INT_MAX) ? -1 : static_cast<int>(timeoutMs));
    } while (ready < 0 && errno == EINTR);
    OwnReceive result = OwnReceive::Timeout;
    if (ready < 0 || watched[1].revents != 0 || (watched[0].revents & (POLLERR | POLLHUP | POLLRDHUP | POLLNVAL)) != 0) {
        // Interrupted, or the socket closed or failed: the loop reports it, after the
        // bytes still waiting.
        result = OwnReceive::NotHere;
    } else if ((watched[0].revents & POLLIN) != 0) {
        result = OwnReceive::Delivered;
        if (!loop.Deliver(impl, SocketNotification::Read, 0)) return result;  // the handler destroyed the client
    }

    std::lock_guard lock(impl.io);
    impl.ownReceiving = false;
    // A fresh edge for the loop if bytes, a close or an error came meanwhile.
    if (impl.fd >= 0 && impl.key != 0)
        loop.Rearm(impl.fd, impl.key, impl.pendingError != 0 ? (kConnectedEvents | EPOLLOUT) : kConnectedEvents);
    return result;
}

void TcpClient::InterruptReceivers() {
    impl_->interrupted.store(true, std::memory_order_release);
    const std::uint64_t one = 1;
    if (impl_->wakeFd >= 0) {
        [[maybe_unused]] const ssize_t n = ::write(impl_->wakeFd, &one, sizeof one);
    }
}

}  // namespace kravent::platform
