// SIGINT and SIGTERM on Linux, Ctrl-C, Ctrl-Break and closing the console on Windows.
// From the start of main one watcher takes them: while a command holds a StopHandler,
// a stop calls it and the command ends in order (connection closed, summary printed,
// status 130); at any other moment the tool ends at once with status 130.
#pragma once

#include <functional>

namespace kravent::cli {

// What the watcher does with a stop: the running command's handler, or the exit; main
// hands it to hostos::WatchStopRequests first, before any thread starts.
void DeliverStop();

class StopHandler {
public:
    // `onStop` runs on the watcher thread, at most once.
    explicit StopHandler(std::function<void()> onStop);
    ~StopHandler();
    StopHandler(const StopHandler&) = delete;
    StopHandler& operator=(const StopHandler&) = delete;
};

}  // namespace kravent::cli
