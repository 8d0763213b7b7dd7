// CPU time and voluntary context switches (wake-ups after blocking) of this process's
// threads, read per thread, so that the benchmark's own thread can be left out.
#pragma once

#include <sys/types.h>

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

}  // namespace kravent::bench
