// The host's callbacks run one at a time across every connection of the process,
// whichever library thread delivers them: the notification thread, or a sender that
// takes its own answer off the socket. The thread holding the turn may take it again
// (a close from inside a callback raises Com_Event 0 there).
#pragma once

#include <atomic>
#include <thread>

namespace kravent {

// Set by the thread that closes a connection. When that thread holds the turn (it
// closes from inside a callback), the other threads waiting for the turn to deliver one
// of the connection's callbacks give up: the close waits for them, and they would wait
// for the close.
class ClosingMark {
public:
    void Mark();
    bool Marked() const { return marked_.load(std::memory_order_acquire); }
    std::thread::id By() const { return by_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> marked_{false};
    std::atomic<std::thread::id> by_{};
};

class CallbackTurn {
public:
    // Waits for the turn; gives up without it when `closing` is marked by the thread
    // that holds the turn.
    explicit CallbackTurn(const ClosingMark& closing);
    ~CallbackTurn();
    CallbackTurn(const CallbackTurn&) = delete;
    CallbackTurn& operator=(const CallbackTurn&) = delete;

    bool Held() const { return held_; }

private:
    bool held_ = false;
};

}  // namespace kravent
