#include "bench/stats.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>
#include <set>

namespace kravent::bench {

namespace {
double Rank(const std::vector<double>& sorted, double fraction) {
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}
}  // namespace

Summary Summarise(std::vector<double> samples) {
    Summary s;
    s.count = samples.size();
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    s.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
    s.p50 = Rank(samples, 0.50);
    s.p99 = Rank(samples, 0.99);
    s.max = samples.back();
    return s;
}

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ScheduleReport AnalyseSchedule(const std::vector<std::int64_t>& times, std::int64_t periodNs,
                               std::int64_t phaseLow, std::int64_t phaseHigh) {
    ScheduleReport r;
    r.requests = times.size();
    if (times.empty() || periodNs <= 0) return r;

    // With the earliest possible phase every request falls in its own tick's slot, as
    // long as it is less than a period late.
    std::vector<std::int64_t> slots;
    slots.reserve(times.size());
    std::int64_t phase = phaseHigh;
    for (const std::int64_t t : times) {
        const std::int64_t slot = (t - phaseLow) / periodNs;
        slots.push_back(slot);
        phase = std::min(phase, t - slot * periodNs);
    }
    phase = std::max(phase, phaseLow);

    std::vector<double> lateness;
    lateness.reserve(times.size());
    for (std::size_t i = 0; i < times.size(); ++i)
        lateness.push_back(static_cast<double>(times[i] - phase - slots[i] * periodNs) / 1000.0);
    r.latenessUs = Summarise(lateness);
    r.latenessSamplesUs = lateness;

    const std::size_t third = times.size() / 3;
    if (third > 0) {
        const auto median = [&](std::size_t from) {
            return Summarise({lateness.begin() + static_cast<std::ptrdiff_t>(from),
                              lateness.begin() + static_cast<std::ptrdiff_t>(from + third)})
                .p50;
        };
        const std::size_t last = times.size() - third;
        const double seconds = static_cast<double>(times[last + third / 2] - times[third / 2]) / 1e9;
        if (seconds > 0) r.driftUsPerSecond = (median(last) - median(0)) / seconds;
    }

    const std::set<std::int64_t> distinct(slots.begin(), slots.end());
    const auto span = static_cast<std::size_t>(slots.back() - slots.front() + 1);
    r.missedPeriods = span - distinct.size();
    r.extraRequests = times.size() - distinct.size();
    if (times.size() > 1) {
        r.meanPeriodUs =
            static_cast<double>(times.back() - times.front()) / 1000.0 / static_cast<double>(times.size() - 1);
    }
    return r;
}

}  // namespace kravent::bench
