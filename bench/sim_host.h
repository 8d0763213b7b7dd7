// The simulated modules of the benchmark, played by a child process so that their
// threads, CPU time and allocations stay out of the figures of the library. The child
// is forked before the benchmark starts any thread and takes commands over a pipe.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kravent::bench {

class SimHost {
public:
    SimHost() = default;
    ~SimHost();  // ends the child
    SimHost(const SimHost&) = delete;
    SimHost& operator=(const SimHost&) = delete;

    // Forks the child. Must run while this process has a single thread.
    bool Launch(std::string& error);

    // Starts `count` modules on TCP 8010 and UDP 7010 at `firstAddress` and the
    // addresses after it; returns once they listen.
    bool Start(const std::string& firstAddress, int count, std::string& error);
    // Stops every module.
    bool Stop(std::string& error);
    // The arrival times (steady clock, ns) of the TCP frames received since the
    // previous call, oldest first; the modules keep only their latest 10000 frames.
    std::vector<std::int64_t> TakeFrameTimes();
    // The same, one list per module in the order of their addresses.
    std::vector<std::vector<std::int64_t>> TakeFrameTimesByModule();

private:
    bool Command(const std::string& line, std::string& reply);

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
};

}  // namespace kravent::bench
