#include "notification_loop.h"

#include "tcp_client_impl.h"

#include <cerrno>
#include <iterator>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace kravent::platform::detail {

namespace {

constexpr std::uint64_t kWakeKey = 0;  // socket keys start at 1

// The deliveries under way on this thread, innermost first. A client destroyed on this
// thread marks its frames, so that each deliverer knows not to touch it afterwards.
struct DeliveryFrame {
    TcpClient::Impl* client;
    bool destroyed;
    DeliveryFrame* outer;
};
thread_local DeliveryFrame* tInnermost = nullptr;

int FramesOnThisThread(const TcpClient::Impl& client) {
    int count = 0;
    for (DeliveryFrame* f = tInnermost; f != nullptr; f = f->outer) {
        if (f->client == &client && !f->destroyed) ++count;
    }
    return count;
}

}  // namespace

struct NotificationLoop::Runner {
    ~Runner() {
        if (epollFd >= 0) ::close(epollFd);
        if (wakeFd >= 0) ::close(wakeFd);
    }
    void Wake() const {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
    }

    int epollFd = -1;
    int wakeFd = -1;
    bool stop = false;  // guarded by the loop's mutex_
    std::thread thread;
};

// One delivery of a client on this thread; the client's delivery count was raised under
// the loop's lock before. Ends the delivery unless the client was destroyed meanwhile.
class NotificationLoop::Scope {
public:
    Scope(NotificationLoop& loop, TcpClient::Impl& client) : loop_(loop), frame_{&client, false, tInnermost} {
        tInnermost = &frame_;
    }
    ~Scope() {
        tInnermost = frame_.outer;
        if (frame_.destroyed) return;
        std::lock_guard lock(loop_.mutex_);
        --frame_.client->deliveries;
        loop_.deliveryEnded_.notify_all();
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    bool ClientAlive() const { return !frame_.destroyed; }

private:
    NotificationLoop& loop_;
    DeliveryFrame frame_;
};

NotificationLoop& NotificationLoop::Instance() {
    static NotificationLoop loop;
    return loop;
}

NotificationLoop::~NotificationLoop() {
    // At process exit: a runner left by leaked clients is stopped; a self-stopped one
    // has ended or ends right after its last notification.
    // A client's teardown may still be ending on the notification thread: take the
    // runners under the lock that its RemoveClient() takes.
    std::unique_ptr<Runner> runners[2];
    {
        std::lock_guard life(lifecycleMutex_);
        runners[0] = std::move(runner_);
        runners[1] = std::move(finished_);
    }
    for (auto& runner : runners) {
        if (!runner || !runner->thread.joinable()) continue;
        {
            std::lock_guard lock(mutex_);
            runner->stop = true;
        }
        runner->Wake();
        if (runner->thread.get_id() == std::this_thread::get_id()) {
            runner->thread.detach();
        } else {
            runner->thread.join();
        }
    }
}

std::unique_ptr<NotificationLoop::Runner> NotificationLoop::StartRunner() {
    auto runner = std::make_unique<Runner>();
    runner->epollFd = ::epoll_create1(EPOLL_CLOEXEC);
    runner->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (runner->epollFd < 0 || runner->wakeFd < 0) return nullptr;
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.u64 = kWakeKey;
    if (::epoll_ctl(runner->epollFd, EPOLL_CTL_ADD, runner->wakeFd, &wake) != 0) return nullptr;
    try {
        runner->thread = std::thread([this, r = runner.get()] { Run(*r); });
    } catch (...) {
        return nullptr;
    }
    std::lock_guard lock(mutex_);
    epollFd_ = runner->epollFd;
    return runner;
}

void NotificationLoop::AddClient() {
    std::unique_ptr<Runner> ended;
    {
        std::lock_guard life(lifecycleMutex_);
        if (clients_++ > 0 && runner_) return;
        if (finished_ && finished_->thread.get_id() != std::this_thread::get_id()) ended = std::move(finished_);
        if (!runner_) runner_ = StartRunner();
    }
    if (ended) ended->thread.join();
}

void NotificationLoop::RemoveClient() {
    std::unique_ptr<Runner> ended;
    std::unique_ptr<Runner> older;
    {
        std::lock_guard life(lifecycleMutex_);
        if (--clients_ > 0 || !runner_) return;
        {
            std::lock_guard lock(mutex_);
            runner_->stop = true;
            epollFd_ = -1;
        }
        runner_->Wake();
        if (runner_->thread.get_id() == std::this_thread::get_id()) {
            // Called from a notification: this thread cannot join itself.
            older = std::move(finished_);
            finished_ = std::move(runner_);
        } else {
            ended = std::move(runner_);
        }
    }
    // Joined outside the lock: a notification still running there may add a client.
    if (ended) ended->thread.join();
    if (older) older->thread.join();
}

std::uint64_t NotificationLoop::Watch(int fd, TcpClient::Impl& client, std::uint32_t events) {
    std::lock_guard lock(mutex_);
    if (epollFd_ < 0) return 0;
    const std::uint64_t key = nextKey_++;
    epoll_event ev{};
    ev.events = events | EPOLLET;
    ev.data.u64 = key;
    if (::epoll_ctl(epollFd_, EPOLL_CTL_ADD, fd, &ev) != 0) return 0;
    try {
        keys_.emplace(key, &client);
    } catch (...) {
        ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
        return 0;
    }
    return key;
}

void NotificationLoop::Rearm(int fd, std::uint64_t key, std::uint32_t events) {
    std::lock_guard lock(mutex_);
    if (epollFd_ < 0) return;
    epoll_event ev{};
    ev.events = events | EPOLLET;
    ev.data.u64 = key;
    ::epoll_ctl(epollFd_, EPOLL_CTL_MOD, fd, &ev);
}

void NotificationLoop::Unwatch(int fd, std::uint64_t key) {
    std::lock_guard lock(mutex_);
    keys_.erase(key);
    if (epollFd_ >= 0) ::epoll_ctl(epollFd_, EPOLL_CTL_DEL, fd, nullptr);
}

bool NotificationLoop::Deliver(TcpClient::Impl& client, SocketNotification what, int errorCode) {
    {
        std::lock_guard lock(mutex_);
        if (client.retired) return false;  // its destructor runs: nothing more is raised
        ++client.deliveries;
    }
    Scope scope(*this, client);
    client.notify(client.user, what, errorCode);
    return scope.ClientAlive();
}

void NotificationLoop::Retire(TcpClient::Impl& client) {
    std::unique_lock lock(mutex_);
    client.retired = true;
    const int own = FramesOnThisThread(client);
    deliveryEnded_.wait(lock, [&] { return client.deliveries <= own; });
    for (DeliveryFrame* f = tInnermost; f != nullptr; f = f->outer) {
        if (f->client == &client) f->destroyed = true;
    }
}

bool NotificationLoop::InDelivery(const TcpClient::Impl& client) { return FramesOnThisThread(client) > 0; }

void NotificationLoop::Run(Runner& runner) {
    // Several sockets ready at once are served from one wake-up.
    epoll_event ready[32];
    for (;;) {
        const int n = ::epoll_wait(runner.epollFd, ready, static_cast<int>(std::size(ready)), -1);
        if (n < 0 && errno != EINTR) break;
        for (int i = 0; i < n; ++i) {
            if (ready[i].data.u64 == kWakeKey) {
                std::uint64_t count = 0;
                [[maybe_unused]] const ssize_t r = ::read(runner.wakeFd, &count, sizeof count);
            } else {
                Dispatch(ready[i].data.u64, ready[i].events);
            }
        }
        std::lock_guard lock(mutex_);
        if (runner.stop) break;
    }
}

void NotificationLoop::Dispatch(std::uint64_t key, std::uint32_t events) {
    TcpClient::Impl* client = nullptr;
    {
        std::lock_guard lock(mutex_);
        const auto found = keys_.find(key);
        if (found == keys_.end() || found->second->retired) return;  // a socket already gone
        client = found->second;
        ++client->deliveries;
    }
    Scope scope(*this, *client);
    client->OnSocketEvents(key, events);
}

}  // namespace kravent::platform::detail
