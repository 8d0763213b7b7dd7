// The library-wide thread that delivers the notifications of every TcpClient, and the
// bookkeeping that makes a client safe to destroy at any moment: from another thread
// while one of its notifications runs (the destructor waits for it), or from inside its
// own notification (the deliverer learns that the client is gone and touches it no more).
#pragma once

#include "platform/platform.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace kravent::platform::detail {

class NotificationLoop {
public:
    static NotificationLoop& Instance();
    ~NotificationLoop();

    // The thread runs while at least one client exists. When the last client goes from
    // inside a notification, the thread ends by itself once that notification returns
    // and is joined by the next start or at process exit.
    void AddClient();
    void RemoveClient();

    // Watches a socket for `client`, edge-triggered; returns the key that names this
    // socket in the loop, or 0 when no loop runs. Events of a key that was unwatched are
    // dropped, so a socket's stale events never reach a later socket or a freed client.
    std::uint64_t Watch(int fd, TcpClient::Impl& client, std::uint32_t events);
    // Raises the socket's events again now if they are ready (a fresh edge).
    void Rearm(int fd, std::uint64_t key, std::uint32_t events);
    void Unwatch(int fd, std::uint64_t key);

    // Calls the client's handler on the calling thread. False when the client was
    // destroyed by the handler: the caller must not touch it any more.
    bool Deliver(TcpClient::Impl& client, SocketNotification what, int errorCode);

    // For the client's destructor: no delivery begins any more, and those under way on
    // other threads have returned when this returns.
    void Retire(TcpClient::Impl& client);

    static bool InDelivery(const TcpClient::Impl& client);

private:
    struct Runner;
    class Scope;

    NotificationLoop() = default;
    std::unique_ptr<Runner> StartRunner();
    void Run(Runner& runner);
    void Dispatch(std::uint64_t key, std::uint32_t events);

    std::mutex lifecycleMutex_;  // clients_, runner_, finished_
    int clients_ = 0;
    std::unique_ptr<Runner> runner_;
    std::unique_ptr<Runner> finished_;  // a runner that stopped itself, still to be joined

    std::mutex mutex_;  // epollFd_, keys_, nextKey_, runner stop flags, the clients' delivery counts
    std::condition_variable deliveryEnded_;
    int epollFd_ = -1;
    std::unordered_map<std::uint64_t, TcpClient::Impl*> keys_;
    std::uint64_t nextKey_ = 1;
};

}  // namespace kravent::platform::detail
