#include "log/log_lock.h"

namespace kravent {
namespace {
constexpr char kLogMutexName[] = "LOG_FILE_VORN_KRAVENT_DLL";
}  // namespace

LogLock::Outcome LogLock::Acquire(std::vector<const char*>& warnings) {
    if (state_ == State::Unopened) {
        state_ = mutex_.Create(kLogMutexName) ? State::Usable : State::GivenUp;
        if (state_ == State::GivenUp) warnings.push_back(kMutexCreationWarning);
    }
    if (state_ == State::GivenUp) return Outcome::NotHeld;

    const bool tryOnly = state_ == State::HeldElsewhere;
    switch (mutex_.Lock(tryOnly ? 0 : kWaitMs)) {
    case platform::LockResult::Acquired:
        state_ = State::Usable;
        return Outcome::Held;
    case platform::LockResult::Abandoned:
        state_ = State::Usable;
        warnings.push_back(kMutexWaitWarning);
        return Outcome::Abandoned;
    case platform::LockResult::Timeout:
        if (!tryOnly) warnings.push_back(kMutexWaitWarning);
        state_ = State::HeldElsewhere;
        return Outcome::NotHeld;
    case platform::LockResult::Failed:
        break;
    }
    state_ = State::GivenUp;
    warnings.push_back(kMutexWaitWarning);
    return Outcome::NotHeld;
}

}  // namespace kravent
