#include <pthread.h>
#include <signal.h>

#include <thread>

#include "hostos/hostos.h"

namespace kravent::hostos {

namespace {

sigset_t StopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

// The stop signals are blocked in every thread, so that only sigwait takes them.
void CatchStopRequests() {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void WaitForStopRequest() {
    const sigset_t set = StopSignals();
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {}
}

void WatchStopRequests(void (*onStop)()) {
    CatchStopRequests();
    std::thread([onStop] {
        for (;;) {
            WaitForStopRequest();
            onStop();
        }
    }).detach();
}

}  // namespace kravent::hostos
