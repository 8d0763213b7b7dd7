// The machine-wide lock of the error log, and what a writer does when it cannot have it.
// The lock only keeps writers of several processes in order: a record is written without
// it rather than lost, and no failing call of the host waits for it over and over.
//  - A lock that cannot be created, or whose wait fails, is given up for the life of the
//    process after one warning.
//  - A lock still held elsewhere after kWaitMs (a holder stopped in a debugger) is only
//    tried, without waiting, by later calls, until one of them gets it; one warning for
//    each such spell.
//  - A lock whose holder died is handed over owned: that record is left out with a
//    warning, as the dead holder may have left half of one.
// Not thread-safe: its user serialises the threads of its process.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace kravent {

class LogLock {
public:
    static constexpr std::uint32_t kWaitMs = 500;

    enum class Outcome {
        Held,       // write, then Release()
        NotHeld,    // write without it
        Abandoned,  // write nothing, then Release()
    };

    // `warnings` receives the texts to show the user, once every lock is released.
    Outcome Acquire(std::vector<const char*>& warnings);
    void Release() { mutex_.Unlock(); }

private:
    enum class State { Unopened, Usable, HeldElsewhere, GivenUp };

    platform::NamedMutex mutex_;
    State state_ = State::Unopened;
};

inline constexpr char kMutexCreationWarning[] = "Unable to Create Mutex for Log File writing";
inline constexpr char kMutexWaitWarning[] = "Unable to write the Error log file (Mutex error)";

}  // namespace kravent
