#include "cli/stop_signals.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "cli/report.h"

namespace kravent::cli {

namespace {

std::mutex g_mutex;
std::function<void()> g_onStop;  // the handler of the running command, if any

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
        if (sigwait(&set, &signal) != 0) continue;
        std::lock_guard lock(g_mutex);
        if (!g_onStop) {
            std::fflush(stdout);
            std::_Exit(kExitInterrupted);
        }
        std::function<void()> onStop = std::move(g_onStop);
        g_onStop = nullptr;
        onStop();
    }
}

}  // namespace

void WatchStopSignals() {
    const sigset_t set = StopSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread(Watch).detach();
}

StopHandler::StopHandler(std::function<void()> onStop) {
    std::lock_guard lock(g_mutex);
    g_onStop = std::move(onStop);
}

StopHandler::~StopHandler() {
    std::lock_guard lock(g_mutex);
    g_onStop = nullptr;
}

}  // namespace kravent::cli
