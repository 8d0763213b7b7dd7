#include "connection/callback_turn.h"

#include <condition_variable>
#include <mutex>

namespace kravent {

namespace {

struct Turn {
    std::mutex mutex;
    std::condition_variable released;
    std::thread::id holder{};
    int depth = 0;
};

Turn& TheTurn() {
    static Turn turn;
    return turn;
}

}  // namespace

void ClosingMark::Mark() {
    by_.store(std::this_thread::get_id(), std::memory_order_release);
    marked_.store(true, std::memory_order_release);
    Turn& turn = TheTurn();
    // Under the lock, so that no waiter tests the mark and then misses this wake-up.
    std::lock_guard lock(turn.mutex);
    turn.released.notify_all();
}

CallbackTurn::CallbackTurn(const ClosingMark& closing) {
    Turn& turn = TheTurn();
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock lock(turn.mutex);
    if (turn.holder != self) {
        turn.released.wait(
            lock, [&] { return turn.depth == 0 || (closing.Marked() && closing.By() == turn.holder); });
        if (turn.depth != 0) return;
        turn.holder = self;
    }
    ++turn.depth;
    held_ = true;
}

CallbackTurn::~CallbackTurn() {
    if (!held_) return;
    Turn& turn = TheTurn();
    std::lock_guard lock(turn.mutex);
    if (--turn.depth == 0) {
        turn.holder = std::thread::id{};
        turn.released.notify_one();
    }
}

}  // namespace kravent
