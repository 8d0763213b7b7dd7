// The library in a closed loop: every delivered answer triggers the next exchange from
// inside the data callback, as a host that reads as fast as the module answers would.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "bench/alloc_counter.h"
#include "bench/figures.h"
#include "bench/library_connection.h"
#include "bench/thread_usage.h"

namespace kravent::bench {

namespace {

constexpr auto kLoopTimeout = std::chrono::seconds(120);

// Written by the callback thread only, except where noted; read by the benchmark thread
// after `finished` is set under the mutex.
struct LoopState {
    ComID com = nullptr;
    int warmup = 0;
    int total = 0;
    std::atomic<int> answers{0};
    std::atomic<std::int64_t> triggerNs{0};  // also set by the benchmark thread for the first trigger
    std::vector<std::int64_t> latencyNs;     // sized before the loop starts
    std::int64_t startNs = 0;
    std::int64_t endNs = 0;
    std::uint64_t allocationsAtStart = 0;
    std::uint64_t allocationsAtEnd = 0;
    pid_t benchThread = 0;  // left out of the library's threads
    ThreadSnapshot threadsAtStart;
    std::string failure;

    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
};

LoopState gLoop;

bool Trigger() {
    if (!Library().FlagPollable(false, gLoop.com)) return false;
    gLoop.triggerNs.store(NowNs(), std::memory_order_relaxed);
    return Library().SendData_MAINPORT(gLoop.com);
}

void Finish() {
    std::lock_guard lock(gLoop.mutex);
    gLoop.finished = true;
    gLoop.done.notify_all();
}

void VORN_KRAVENT_CALL OnAnswer(RegisterValues*, ComID) {
    const std::int64_t now = NowNs();
    const int index = gLoop.answers.fetch_add(1, std::memory_order_relaxed);
    if (index >= gLoop.total) return;
    if (index >= gLoop.warmup) {
        gLoop.latencyNs[static_cast<std::size_t>(index - gLoop.warmup)] =
            now - gLoop.triggerNs.load(std::memory_order_relaxed);
    }
    if (index + 1 == gLoop.warmup) {
        gLoop.threadsAtStart = SampleThreads(gLoop.benchThread);
        gLoop.allocationsAtStart = AllocationCount();
        gLoop.startNs = NowNs();
    }
    if (index + 1 == gLoop.total) {
        gLoop.endNs = now;
        gLoop.allocationsAtEnd = AllocationCount();
        Finish();
        return;
    }
    if (!Trigger()) {
        gLoop.failure = "trigger refused: " + Library().LastError();
        Finish();
    }
}

}  // namespace

ExchangeFigures MeasureClosedLoop(int warmup, int exchanges, std::string& error) {
    ExchangeFigures figures;
    LibraryConnection connection;
    // The state is reset while no callback can run: before the open.
    gLoop.warmup = warmup;
    gLoop.total = warmup + exchanges;
    gLoop.answers.store(0);
    gLoop.latencyNs.assign(static_cast<std::size_t>(exchanges), 0);
    gLoop.failure.clear();
    gLoop.finished = false;
    gLoop.benchThread = CurrentThreadId();
    if (!connection.Open(OnAnswer, error)) return figures;
    gLoop.com = connection.id();
    if (warmup == 0) {
        gLoop.threadsAtStart = SampleThreads(gLoop.benchThread);
        gLoop.allocationsAtStart = AllocationCount();
        gLoop.startNs = NowNs();
    }
    if (!Trigger()) {
        error = "first trigger refused: " + Library().LastError();
        return figures;
    }
    {
        std::unique_lock lock(gLoop.mutex);
        if (!gLoop.done.wait_for(lock, kLoopTimeout, [] { return gLoop.finished; })) {
            error = "the loop stalled after " + std::to_string(gLoop.answers.load()) + " answers: " + Library().LastError();
            return figures;
        }
    }
    figures.libraryCpuNs = Difference(gLoop.threadsAtStart, SampleThreads(gLoop.benchThread)).cpuNs;
    connection.Close();
    if (!gLoop.failure.empty()) {
        error = gLoop.failure;
        return figures;
    }
    figures.latencyUs.reserve(gLoop.latencyNs.size());
    for (const std::int64_t ns : gLoop.latencyNs) figures.latencyUs.push_back(static_cast<double>(ns) / 1000.0);
    figures.seconds = static_cast<double>(gLoop.endNs - gLoop.startNs) / 1e9;
    figures.allocations = gLoop.allocationsAtEnd - gLoop.allocationsAtStart;
    return figures;
}

}  // namespace kravent::bench
