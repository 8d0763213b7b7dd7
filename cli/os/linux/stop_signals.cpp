#include <pthread.h>
#include <signal.h>

#include <thread>

#include "cli/stop_signals.h"

namespace kravent::cli {

namespace {

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

void Watch() {
    const sigset_t set = StopSignals();
    for (;;) {
        int signal = 0;
        if (sigwait(&set, &signal) == 0) DeliverStop();
    }
}

}  // namespace

// The signals are blocked in every thread, and one watcher thread takes them.
void WatchStopSignals() {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread(Watch).detach();
}

}  // namespace kravent::cli
