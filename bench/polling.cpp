// The repetitive sender at a given period, and an open connection left idle: the
// schedule of the requests as the module sees them, and what the library's threads
// cost meanwhile. The simulator runs in another process, so every thread of this
// process except the benchmark's own belongs to the library.
#include <algorithm>
#include <atomic>

#include "bench/figures.h"
#include "bench/library_connection.h"
#include "bench/modules.h"
#include "bench/thread_usage.h"

namespace kravent::bench {

namespace {

std::atomic<std::int64_t> gAnswers{0};

void VORN_KRAVENT_CALL CountAnswer(RegisterValues*, ComID) { gAnswers.fetch_add(1, std::memory_order_relaxed); }

PollFigures CostOf(const ThreadCost& cost) {
    PollFigures figures;
    figures.cpuPercent = cost.CpuPercent();
    figures.wakeupsPerSecond = cost.WakeupsPerSecond();
    return figures;
}

}  // namespace

PollFigures MeasurePolling(Modules& modules, int periodMs, double seconds, std::string& error) {
    LibraryConnection connection;
    if (!connection.Open(CountAnswer, error)) return {};
    const ComID com = connection.id();
    if (!Library().FlagPollable(true, com)) {
        error = "flagging the repetitive set failed: " + Library().LastError();
        return {};
    }
    // The period timer restarts in this call: its ticks lie on a grid whose phase is
    // taken between these two instants.
    const std::int64_t phaseLow = NowNs();
    const bool periodSet = Library().RepetitiveAskSetTime(periodMs, com);
    const std::int64_t phaseHigh = NowNs();
    if (!periodSet) {
        error = "period refused: " + Library().LastError();
        return {};
    }
    modules.TakeFrameTimes();  // forget the frames of earlier figures
    const std::int64_t periodNs = std::int64_t{periodMs} * 1000000;
    // The first requests after the start go out at once, off the grid (ticks that fell
    // while the sender was suspended): they are left out.
    const std::int64_t warmupNs = std::max<std::int64_t>(3 * periodNs, 50000000);
    gAnswers.store(0);
    if (!Library().RepetitiveAskStart(com)) {
        error = "start refused: " + Library().LastError();
        return {};
    }
    const std::int64_t windowStart = NowNs() + warmupNs;
    PollFigures figures = CostOf(MeasureThreadCost(windowStart, seconds));
    const std::int64_t windowEnd = NowNs();
    Library().RepetitiveAskStop(com);
    connection.Close();  // every answer under way has been delivered when it returns

    const std::vector<std::int64_t> all = modules.TakeFrameTimes();
    std::vector<std::int64_t> times;
    for (const std::int64_t t : all)
        if (t >= windowStart && t < windowEnd) times.push_back(t);
    if (times.size() < 2) {
        error = "the module saw " + std::to_string(times.size()) + " requests";
        return {};
    }
    figures.schedule = AnalyseSchedule(times, periodNs, phaseLow, phaseHigh);
    figures.windowTimes = std::move(times);
    figures.phaseLow = phaseLow;
    figures.phaseHigh = phaseHigh;
    figures.requestsSent = static_cast<std::int64_t>(all.size());
    figures.answersDelivered = gAnswers.load();
    return figures;
}

PollFigures MeasureIdle(double seconds, std::string& error) {
    LibraryConnection connection;
    if (!connection.Open(CountAnswer, error)) return {};
    // Let the connection settle (the connect's own notifications) before sampling.
    return CostOf(MeasureThreadCost(NowNs() + 200000000, seconds));
}

}  // namespace kravent::bench
