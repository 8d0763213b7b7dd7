// SIGINT and SIGTERM. They are blocked in every thread from the start of main, and
// one watcher thread takes them: while a command holds a StopHandler, a signal calls
// it and the command ends in order (connection closed, summary printed, status 130);
// at any other moment the tool ends at once with status 130.
#pragma once

#include <functional>

namespace kravent::cli {

// Call first in main, before any thread starts.
void WatchStopSignals();

class StopHandler {
public:
    // `onStop` runs on the watcher thread, at most once.
    explicit StopHandler(std::function<void()> onStop);
    ~StopHandler();
    StopHandler(const StopHandler&) = delete;
    StopHandler& operator=(const StopHandler&) = delete;
};

}  // namespace kravent::cli
