// Summaries of measured samples and the analysis of a periodic request schedule.
// Pure functions over numbers, so that they can be checked without sockets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kravent::bench {

struct Summary {
    std::size_t count = 0;
    double mean = 0;
    double p50 = 0;
    double p99 = 0;
    double max = 0;
};

// Nearest-rank percentiles of `samples` (taken by value: it is sorted).
Summary Summarise(std::vector<double> samples);

// Monotonic clock (the steady clock of every process on this machine), nanoseconds.
std::int64_t NowNs();

// How the requests of a periodic poll lie against their ideal times.
struct ScheduleReport {
    std::size_t requests = 0;
    double meanPeriodUs = 0;  // mean interval between consecutive requests
    Summary latenessUs;       // each request against the tick that caused it
    std::size_t missedPeriods = 0;  // ticks between the first and the last without a request
    std::size_t extraRequests = 0;  // requests beyond one per tick
    // How fast lateness grows: the median lateness of the last third of the requests
    // against that of the first third, per second between them. Robust to outliers.
    double driftUsPerSecond = 0;
    std::vector<double> latenessSamplesUs;  // of every request, in order
};

// `times` are the arrival times of the requests (ascending, ns). The ticks lie on the
// grid phase + k * period, where the phase is known to lie in [phaseLow, phaseHigh]
// (the timer was started between those instants). Each request belongs to the last tick
// at or before it; the phase is taken as late as the window and causality allow (no
// request before its tick), so lateness is never overstated.
ScheduleReport AnalyseSchedule(const std::vector<std::int64_t>& times, std::int64_t periodNs,
                               std::int64_t phaseLow, std::int64_t phaseHigh);

}  // namespace kravent::bench
