// A simulated module on 127.0.0.1 for the C++ interface's tests, behind a header that
// compiles as C++17 (the simulator itself is C++20).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kravent::test {

using SimOptions = std::vector<std::pair<std::string, std::string>>;

class SimulatedModule {
public:
    // Options as kravent-sim takes them, without "--": {"type", "2.3"}, {"delay-ms", "50"}.
    explicit SimulatedModule(SimOptions options = {});
    ~SimulatedModule();
    bool Start();  // false with Error() when it cannot listen
    void Stop();   // its connections close as a module's would
    const std::string& Error() const;
    std::size_t TcpFrames() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace kravent::test
