#include "bench/thread_usage.h"

#include <dirent.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "bench/stats.h"

namespace kravent::bench {

namespace {

// The CPU clock of thread `tid` of this process, as pthread_getcpuclockid builds it.
std::int64_t ThreadCpuNs(pid_t tid) {
    const auto clock = static_cast<clockid_t>((~static_cast<unsigned>(tid) << 3) | 6u);  // per-thread, scheduler
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0) return -1;
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

std::int64_t VoluntarySwitches(pid_t tid) {
    const std::string path = "/proc/self/task/" + std::to_string(tid) + "/status";
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (f == nullptr) return -1;
    char line[256];
    std::int64_t result = -1;
    constexpr char kKey[] = "voluntary_ctxt_switches:";
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (std::strncmp(line, kKey, sizeof kKey - 1) == 0) {
            result = std::strtoll(line + sizeof kKey - 1, nullptr, 10);
            break;
        }
    }
    std::fclose(f);
    return result;
}

}  // namespace

pid_t CurrentThreadId() { return static_cast<pid_t>(::syscall(SYS_gettid)); }

ThreadSnapshot SampleThreads(pid_t excluded) {
    ThreadSnapshot snapshot;
    DIR* dir = ::opendir("/proc/self/task");
    if (dir == nullptr) return snapshot;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const auto tid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
        if (tid == excluded) continue;
        const ThreadCounters c{ThreadCpuNs(tid), VoluntarySwitches(tid)};
        if (c.cpuNs >= 0 && c.voluntarySwitches >= 0) snapshot[tid] = c;
    }
    ::closedir(dir);
    return snapshot;
}

ThreadCounters Difference(const ThreadSnapshot& before, const ThreadSnapshot& after) {
    ThreadCounters total;
    for (const auto& [tid, now] : after) {
        const auto then = before.find(tid);
        const ThreadCounters base = then == before.end() ? ThreadCounters{} : then->second;
        total.cpuNs += now.cpuNs - base.cpuNs;
        total.voluntarySwitches += now.voluntarySwitches - base.voluntarySwitches;
    }
    return total;
}

void SleepUntilNs(std::int64_t deadlineNs) {
    const std::int64_t now = NowNs();
    if (deadlineNs > now) std::this_thread::sleep_for(std::chrono::nanoseconds(deadlineNs - now));
}

ThreadCost MeasureThreadCost(std::int64_t fromNs, double seconds) {
    const pid_t self = CurrentThreadId();
    SleepUntilNs(fromNs);
    ThreadCost cost;
    cost.startNs = NowNs();
    const ThreadSnapshot before = SampleThreads(self);
    SleepUntilNs(cost.startNs + static_cast<std::int64_t>(seconds * 1e9));
    const ThreadSnapshot after = SampleThreads(self);
    cost.endNs = NowNs();
    cost.seconds = static_cast<double>(cost.endNs - cost.startNs) / 1e9;
    cost.used = Difference(before, after);
    cost.threads = after.size();
    return cost;
}

}  // namespace kravent::bench
