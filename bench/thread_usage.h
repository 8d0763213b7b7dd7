// CPU time and voluntary context switches (wake-ups after blocking) of this process's
// threads, read per thread, so that the benchmark's own thread can be left out.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <map>

namespace kravent::bench {

struct ThreadCounters {
    std::int64_t cpuNs = 0;
    std::int64_t voluntarySwitches = 0;
};

using ThreadSnapshot = std::map<pid_t, ThreadCounters>;

// Every thread of this process except `excluded`.
ThreadSnapshot SampleThreads(pid_t excluded);

// What the threads did between two snapshots; a thread that appeared in between
// counts from zero, one that ended is lost.
ThreadCounters Difference(const ThreadSnapshot& before, const ThreadSnapshot& after);

// The calling thread's id.
pid_t CurrentThreadId();

void SleepUntilNs(std::int64_t deadlineNs);

// What every thread but the calling one did over [fromNs, fromNs + seconds].
struct ThreadCost {
    double seconds = 0;
    ThreadCounters used;
    std::size_t threads = 0;  // at the end
    std::int64_t startNs = 0;
    std::int64_t endNs = 0;

    double CpuPercent() const { return seconds > 0 ? 100.0 * static_cast<double>(used.cpuNs) / 1e9 / seconds : 0; }
    double WakeupsPerSecond() const { return seconds > 0 ? static_cast<double>(used.voluntarySwitches) / seconds : 0; }
};

// Sleeps until `fromNs`, then samples for `seconds`.
ThreadCost MeasureThreadCost(std::int64_t fromNs, double seconds);

}  // namespace kravent::bench
