// How the tool's main thread waits for the library's callbacks. On Linux they run on
// the library's notification thread, which signals a condition variable. On Windows
// they run on the thread that opened the connection while it dispatches its window
// messages, so there the wait dispatches them until the condition holds.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace kravent::cli {

class Wakeup {
public:
    Wakeup();
    ~Wakeup();
    Wakeup(const Wakeup&) = delete;
    Wakeup& operator=(const Wakeup&) = delete;

    // Wakes the waiter to test its condition again (from any thread).
    void Notify();
    // Waits until `ready()` holds, tested with `lock` held, or `limit` has passed;
    // the result of the last test. `lock` is released while the thread waits.
    bool Wait(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit, const std::function<bool()>& ready);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kravent::cli
