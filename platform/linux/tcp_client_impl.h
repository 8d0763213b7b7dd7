// The state of one TcpClient, shared by the client's own operations and the
// notification loop.
#pragma once

#include "platform/platform.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace kravent::platform {

struct TcpClient::Impl {
    enum class Phase { Closed, Connecting, Connected };

    Impl(NotifyFn notifyFn, void* userData);
    ~Impl();

    // Handles the socket events that the loop received for `key`; runs on the
    // notification thread inside a delivery of this client.
    void OnSocketEvents(std::uint64_t key, std::uint32_t events);

    // Closes the socket; the caller holds `io`.
    void CloseSocketLocked();
    // Closes the socket and raises Error, then Disconnected; releases `lock` first.
    void FailAndRaise(std::unique_lock<std::mutex>& lock, int errorCode);
    // Bytes readable now; the caller holds `io`.
    int AvailableLocked() const;

    const NotifyFn notify;
    void* const user;

    // Guards the socket: send, receive and close never overlap.
    std::mutex io;
    int fd = -1;
    std::uint64_t key = 0;  // the loop's name of the current socket, 0 while none is watched
    std::uint64_t attempt = 0;  // counts Open() calls, so that Open sees a Close() made by its handlers
    int pendingError = 0;   // an error met by a receive or at once by connect, raised by the loop
    std::uint64_t reads = 0;  // successful receives: did a Read handler take anything?
    std::atomic<Phase> phase{Phase::Closed};
    // Who takes the bytes (under `io`): a thread inside ReceiveOnThisThread, or the loop
    // while it delivers a notification (so that none overtakes Connected); never both.
    bool ownReceiving = false;
    bool loopDelivering = false;
    // Wakes and refuses the threads of ReceiveOnThisThread.
    std::atomic<bool> interrupted{false};
    int wakeFd = -1;

    // Guarded by the loop's lock.
    int deliveries = 0;  // deliveries of this client under way, on any thread
    bool retired = false;  // the destructor has begun: no delivery starts any more
};

}  // namespace kravent::platform
