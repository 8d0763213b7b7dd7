// The simulated modules of the benchmark, played by `kravent-sim --control` in a child
// process, so that their threads, CPU time and allocations stay out of the figures of
// the library. It is started and spoken to through the tests' SimProcess.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kravent::testsupport {
class SimProcess;
}

namespace kravent::bench {

class Modules {
public:
    Modules();
    ~Modules();  // ends the child
    Modules(const Modules&) = delete;
    Modules& operator=(const Modules&) = delete;

    // Whether the child has started; `error` says why not.
    bool Ready(std::string& error) const;
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
    std::string Reply();

    std::unique_ptr<testsupport::SimProcess> child_;
};

}  // namespace kravent::bench
