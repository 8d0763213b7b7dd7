// kravent-sim run as a child process, optionally in a network namespace of its own
// joined to the test's namespace by a veth pair on a bridge.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kravent::testsupport {

// The path of the kravent-sim program built with the tests.
std::string SimulatorPath();

// Runs a program to its end; its exit status, or -1 when it could not run.
int RunProgram(const std::vector<std::string>& argv);

class SimProcess {
public:
    // Starts `argv` (a kravent-sim command line, possibly behind a namespace
    // wrapper) and waits until it prints its "ready" line; Ready() tells whether it did.
    explicit SimProcess(const std::vector<std::string>& argv,
                        std::chrono::milliseconds readyTimeout = std::chrono::milliseconds(10000));
    ~SimProcess();  // SIGTERM and wait, unless already stopped
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Ready() const { return ready_; }
    pid_t pid() const { return pid_; }
    // Writes one line to the child's standard input.
    bool WriteLine(const std::string& line);
    // Reads one line of the child's standard output within `timeout`; empty on timeout or end.
    std::string ReadLine(std::chrono::milliseconds timeout);
    // Sends `signal` and waits; the raw wait status (see WIFEXITED), -1 if it does not end in `timeout`.
    int Stop(int signal, std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

private:
    friend class NetTopology;  // starts the process first and waits for "ready" later
    SimProcess() = default;
    bool Spawn(const std::vector<std::string>& argv);
    bool WaitForLine(const std::string& line, std::chrono::milliseconds timeout);

    bool ready_ = false;
    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string buffered_;
    bool stopped_ = false;
};

// A private topology made from inside the test's own namespace: a bridge with the
// test's address, the limited broadcast routed to it, and modules each in a child
// namespace of their own behind a veth pair. Everything dies with the test.
class NetTopology {
public:
    // Refuses (Valid() false) unless the process is in a private namespace of run-in-netns.sh.
    // Without `routeBroadcast` the limited broadcast is left to the namespace's routes.
    explicit NetTopology(std::string hostAddress = "10.77.0.1", int prefix = 24, bool routeBroadcast = true);
    ~NetTopology();
    NetTopology(const NetTopology&) = delete;
    NetTopology& operator=(const NetTopology&) = delete;

    bool Valid() const { return valid_; }
    const std::string& error() const { return error_; }
    const std::string& HostAddress() const { return hostAddress_; }

    // Starts kravent-sim in a new namespace at `address` (same prefix), with the
    // interface "eth0" managed (it may really move on an address change) and its
    // IPADDRESS/SUBNETMASK set to match; `extraArgs` follow. Returns the module's
    // index, or -1 (see error()).
    int AddModule(const std::string& address, const std::vector<std::string>& extraArgs = {}, int link = 0);
    // A further link (bridge) on which the test has `hostAddress`; returns its index.
    int AddLink(const std::string& hostAddress);
    bool SetLinkUp(int link, bool up);
    SimProcess& Module(int index) { return *modules_.at(static_cast<std::size_t>(index)); }

private:
    bool Run(const std::vector<std::string>& argv);

    std::string hostAddress_;
    int prefix_;
    int links_ = 1;
    bool valid_ = false;
    std::string error_;
    std::vector<std::unique_ptr<SimProcess>> modules_;
};

}  // namespace kravent::testsupport
