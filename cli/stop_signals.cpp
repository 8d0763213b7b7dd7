#include "cli/stop_signals.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "cli/report.h"

namespace kravent::cli {

namespace {

std::mutex g_mutex;
std::function<void()> g_onStop;  // the handler of the running command, if any

}  // namespace

void DeliverStop() {
    std::lock_guard lock(g_mutex);
    if (!g_onStop) {
        std::fflush(stdout);
        std::_Exit(kExitInterrupted);
    }
    std::function<void()> onStop = std::move(g_onStop);
    g_onStop = nullptr;
    onStop();
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
