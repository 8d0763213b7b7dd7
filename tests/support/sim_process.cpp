#include "tests/support/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "tests/support/raw_clients.h"

extern char** environ;

namespace kravent::testsupport {

using Clock = std::chrono::steady_clock;

std::string SimulatorPath() { return KRAVENT_SIM_PATH; }

namespace {
std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> out;
    for (std::string& a : args) out.push_back(a.data());
    out.push_back(nullptr);
    return out;
}
}  // namespace

int RunProgram(const std::vector<std::string>& argv) {
    std::vector<std::string> args = argv;
    auto raw = Argv(args);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, raw[0], nullptr, nullptr, raw.data(), environ) != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

SimProcess::SimProcess(const std::vector<std::string>& argv, std::chrono::milliseconds readyTimeout) {
    ready_ = Spawn(argv) && WaitForLine("ready", readyTimeout);
}

bool SimProcess::Spawn(const std::vector<std::string>& argv) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return false;
    if (::pipe2(out, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<std::string> args = argv;
    auto raw = Argv(args);
    const int rc = ::posix_spawnp(&pid_, raw[0], &actions, nullptr, raw.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    toChild_ = in[1];
    fromChild_ = out[0];
    if (rc != 0) {
        pid_ = -1;
        return false;
    }
    return true;
}

bool SimProcess::WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    return ::write(toChild_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::string SimProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    for (;;) {
        if (const std::size_t nl = buffered_.find('\n'); nl != std::string::npos) {
            std::string line = buffered_.substr(0, nl);
            buffered_.erase(0, nl + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd p{fromChild_, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return {};
        char chunk[256];
        const ssize_t n = ::read(fromChild_, chunk, sizeof chunk);
        if (n <= 0) return {};
        buffered_.append(chunk, static_cast<std::size_t>(n));
    }
}

bool SimProcess::WaitForLine(const std::string& wanted, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (Clock::now() < end) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        const std::string line = ReadLine(left);
        if (line == wanted) return true;
        if (line.empty()) return false;
    }
    return false;
}

int SimProcess::Stop(int signal, std::chrono::milliseconds timeout) {
    if (pid_ < 0 || stopped_) return -1;
    ::kill(pid_, signal);
    const auto end = Clock::now() + timeout;
    int status = 0;
    // The child's output closes when it exits; until then wait for it in short polls.
    while (Clock::now() < end) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            stopped_ = true;
            return status;
        }
        pollfd p{fromChild_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) continue;
        char sink[256];
        if (::read(fromChild_, sink, sizeof sink) > 0) continue;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
        stopped_ = true;
        return status;
    }
    return -1;
}

SimProcess::~SimProcess() {
    if (pid_ >= 0 && !stopped_ && Stop(SIGTERM) == -1) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (toChild_ >= 0) ::close(toChild_);
    if (fromChild_ >= 0) ::close(fromChild_);
}

// Runs in the module's new namespace ($0 interface, $1 address/prefix, $2 the
// simulator, then its arguments): reports the namespace, waits until the parent
// has moved the interface in, brings it up and becomes the simulator.
constexpr const char* kModuleScript = R"(
iface=$0; addr=$1; sim=$2; shift 2
echo namespace
read go || exit 90
ip link set lo up || exit 91
ip link set "$iface" name eth0 || exit 92
ip addr add "$addr" dev eth0 || exit 93
ip link set eth0 up || exit 94
exec "$sim" --manage-interface eth0 "$@"
)";

NetTopology::NetTopology(std::string hostAddress, int prefix, bool routeBroadcast)
    : hostAddress_(std::move(hostAddress)), prefix_(prefix) {
    if (!InPrivateNetns()) {
        error_ = "refusing to build a topology outside a private network namespace (KRAVENT_IN_NETNS=1)";
        return;
    }
    const std::string withPrefix = hostAddress_ + "/" + std::to_string(prefix_);
    valid_ = Run({"ip", "link", "add", "krbr0", "type", "bridge"}) && Run({"ip", "addr", "add", withPrefix, "dev", "krbr0"}) &&
             Run({"ip", "link", "set", "krbr0", "up"}) &&
             (!routeBroadcast || Run({"ip", "route", "replace", "255.255.255.255/32", "dev", "krbr0"}));
}

int NetTopology::AddLink(const std::string& hostAddress) {
    if (!valid_) return -1;
    const std::string bridge = "krbr" + std::to_string(links_);
    if (!Run({"ip", "link", "add", bridge, "type", "bridge"}) ||
        !Run({"ip", "addr", "add", hostAddress + "/" + std::to_string(prefix_), "dev", bridge}) ||
        !Run({"ip", "link", "set", bridge, "up"}))
        return -1;
    return links_++;
}

bool NetTopology::SetLinkUp(int link, bool up) {
    return Run({"ip", "link", "set", "krbr" + std::to_string(link), up ? "up" : "down"});
}

NetTopology::~NetTopology() {
    modules_.clear();  // each module's namespace, and the veth end in it, dies with its process
    for (int link = 0; valid_ && link < links_; ++link) Run({"ip", "link", "del", "krbr" + std::to_string(link)});
}

bool NetTopology::Run(const std::vector<std::string>& argv) {
    if (RunProgram(argv) == 0) return true;
    error_ = "failed:";
    for (const std::string& a : argv) error_ += " " + a;
    return false;
}

int NetTopology::AddModule(const std::string& address, const std::vector<std::string>& extraArgs, int link) {
    if (!valid_) return -1;
    const int index = static_cast<int>(modules_.size());
    const std::string hostEnd = "krvh" + std::to_string(index);
    const std::string moduleEnd = "krvm" + std::to_string(index);
    std::string mask;
    for (int octet = 0, bits = prefix_; octet < 4; ++octet, bits -= 8)
        mask += (octet ? "." : "") + std::to_string(bits >= 8 ? 255 : bits <= 0 ? 0 : (0xFF00 >> bits) & 0xFF);
    std::vector<std::string> argv = {"unshare", "--net", "--", "sh", "-c", kModuleScript, moduleEnd,
                                     address + "/" + std::to_string(prefix_), SimulatorPath(),
                                     "--set", "IPADDRESS=" + address, "--set", "SUBNETMASK=" + mask};
    argv.insert(argv.end(), extraArgs.begin(), extraArgs.end());

    std::unique_ptr<SimProcess> child(new SimProcess());
    if (!child->Spawn(argv) || !child->WaitForLine("namespace", std::chrono::milliseconds(10000))) {
        error_ = "the module namespace did not start";
        return -1;
    }
    const std::string pid = std::to_string(child->pid());
    if (!Run({"ip", "link", "add", hostEnd, "type", "veth", "peer", "name", moduleEnd}) ||
        !Run({"ip", "link", "set", moduleEnd, "netns", pid}) || !Run({"ip", "link", "set", hostEnd, "master", "krbr" + std::to_string(link)}) ||
        !Run({"ip", "link", "set", hostEnd, "up"}))
        return -1;
    child->WriteLine("go");
    child->ready_ = child->WaitForLine("ready", std::chrono::milliseconds(10000));
    if (!child->Ready()) {
        error_ = "the module in its namespace did not become ready";
        return -1;
    }
    modules_.push_back(std::move(child));
    return index;
}

}  // namespace kravent::testsupport
