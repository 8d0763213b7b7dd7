#include "hostos/hostos.h"

#include <condition_variable>

namespace kravent::hostos {

struct Wakeup::Impl {
    std::condition_variable changed;
};

Wakeup::Wakeup() : impl_(std::make_unique<Impl>()) {}
Wakeup::~Wakeup() = default;

void Wakeup::Notify() { impl_->changed.notify_all(); }

bool Wakeup::Wait(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds limit, const std::function<bool()>& ready) {
    return impl_->changed.wait_for(lock, limit, ready);
}

}  // namespace kravent::hostos
