// A TcpClient with a handler that records every notification, reads what is readable
// like the transport does, and runs an optional action of the test inside it.
#pragma once

#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kravent::testing {

using platform::SocketNotification;

struct Note {
    SocketNotification what;
    int error;
    std::thread::id thread;
    bool inNotification;
};

class ClientHarness {
public:
    ClientHarness() : client(std::make_unique<platform::TcpClient>(&ClientHarness::Notify, this)) {}
    ~ClientHarness() { DestroyClient(); }  // before the records that its handler uses

    // Destroys the client while `client` still names it: a notification under way on
    // another thread may read it until the destructor has waited for that notification.
    void DestroyClient() {
        delete client.get();
        client.release();
    }
    ClientHarness(const ClientHarness&) = delete;
    ClientHarness& operator=(const ClientHarness&) = delete;

    // Waits until `count` notifications of kind `what` have been recorded and no
    // handler runs any more.
    bool WaitFor(SocketNotification what, std::size_t count = 1, int timeoutMs = 5000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return busy_ == 0 && CountLocked(what) >= count; });
    }
    bool WaitForReceived(std::size_t bytes, int timeoutMs = 10000) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return busy_ == 0 && received_.size() >= bytes; });
    }
    std::vector<Note> Notes() {
        std::lock_guard lock(mutex_);
        return notes_;
    }
    std::vector<SocketNotification> Kinds() {
        std::lock_guard lock(mutex_);
        std::vector<SocketNotification> kinds;
        for (const Note& n : notes_) kinds.push_back(n.what);
        return kinds;
    }
    std::size_t Count(SocketNotification what) {
        std::lock_guard lock(mutex_);
        return CountLocked(what);
    }
    std::string Received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

    std::unique_ptr<platform::TcpClient> client;
    std::atomic<bool> readInHandler{true};
    std::atomic<int> readChunk{65000};  // the most one Read handler takes
    // Runs inside each notification after it was recorded; may destroy `client`.
    std::function<void(ClientHarness&, SocketNotification)> action;

private:
    static void Notify(void* user, SocketNotification what, int error) {
        auto& self = *static_cast<ClientHarness*>(user);
        {
            std::lock_guard lock(self.mutex_);
            self.notes_.push_back({what, error, std::this_thread::get_id(), self.client->InNotification()});
            ++self.busy_;
        }
        if (what == SocketNotification::Read && self.readInHandler) {
            const int count = std::min(self.client->ReceiveLength(), self.readChunk.load());
            std::vector<char> buffer(static_cast<std::size_t>(std::max(count, 1)));
            const int got = self.client->ReceiveBuf(buffer.data(), count);
            std::lock_guard lock(self.mutex_);
            if (got > 0) self.received_.append(buffer.data(), static_cast<std::size_t>(got));
        }
        if (self.action) self.action(self, what);
        std::lock_guard lock(self.mutex_);
        --self.busy_;
        self.changed_.notify_all();
    }

    std::size_t CountLocked(SocketNotification what) const {
        return static_cast<std::size_t>(
            std::count_if(notes_.begin(), notes_.end(), [&](const Note& n) { return n.what == what; }));
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Note> notes_;
    std::string received_;
    int busy_ = 0;  // handlers running, nested ones included
};

}  // namespace kravent::testing
