// kravent-bench-worker: one measurement of one build of the library, in a process of its
// own, so that its threads and CPU time are the library's alone (besides this main
// thread) and two builds can be compared in one benchmark run. Started by kravent-bench;
// prints its figures as "key value" lines.
//
//   kravent-bench-worker LIBRARY poll N PERIOD_MS SECONDS
//       N connections to the modules at 127.0.0.1 .. 127.0.0.N, each polling VOLTAGE and
//       POSITION every PERIOD_MS; per connection its timer phase window and its answers
//       in the measured window
//   kravent-bench-worker LIBRARY closed EXCHANGES
//       one connection in a closed loop over the 11 pollable registers
//   kravent-bench-worker LIBRARY idle SECONDS
//       one open connection without polling
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/stats.h"
#include "bench/thread_usage.h"
#include "bench/worker/library_api.h"

using namespace kravent::bench;

namespace {

constexpr int kMaxConnections = 250;
constexpr auto kConnectTimeout = std::chrono::seconds(20);

LibraryApi gApi;
std::atomic<ComID> gIds[kMaxConnections];
std::atomic<std::int64_t> gAnswers[kMaxConnections];
int gCount = 0;

std::mutex gMutex;
std::condition_variable gChanged;
int gConnected = 0;
int gFailed = 0;

int IndexOf(ComID com) {
    for (int k = 0; k < gCount; ++k)
        if (gIds[k].load(std::memory_order_relaxed) == com) return k;
    return -1;
}

void VORN_KRAVENT_CALL CountAnswer(RegisterValues*, ComID com) {
    const int k = IndexOf(com);
    if (k >= 0) gAnswers[k].fetch_add(1, std::memory_order_relaxed);
}

void VORN_KRAVENT_CALL OnEvent(std::int32_t event, ComID) {
    std::lock_guard lock(gMutex);
    if (event == VORN_KRAVENT_STATE_CONNECTED) ++gConnected;
    if (event == VORN_KRAVENT_STATE_ERROR) ++gFailed;
    gChanged.notify_all();
}

[[noreturn]] void Fail(const std::string& what) {
    std::printf("error %s\n", what.c_str());
    std::fflush(stdout);
    std::_Exit(1);
}

// Opens connections 0 .. count-1 to 127.0.0.1 .. 127.0.0.count and waits until all are up.
void OpenAll(int count, Data_Received_MAINPORT_Callback onData) {
    gCount = count;
    for (int k = 0; k < count; ++k) {
        const std::int32_t address[4] = {127, 0, 0, 1 + k};
        ComID id = nullptr;
        gIds[k].store(nullptr);
        if (!gApi.open(address, onData, OnEvent, &id)) Fail("open " + std::to_string(k) + ": " + gApi.LastError());
        gIds[k].store(id);
    }
    std::unique_lock lock(gMutex);
    if (!gChanged.wait_for(lock, kConnectTimeout, [&] { return gConnected + gFailed >= count; }) || gFailed > 0)
        Fail("only " + std::to_string(gConnected) + " of " + std::to_string(count) + " connected");
}

void CloseAll() {
    for (int k = 0; k < gCount; ++k) {
        ComID id = gIds[k].load();
        gApi.close(&id);
    }
}

void SleepUntilNs(std::int64_t deadlineNs) {
    const std::int64_t now = NowNs();
    if (deadlineNs > now) std::this_thread::sleep_for(std::chrono::nanoseconds(deadlineNs - now));
}

// The library's threads (every thread but this one) over [fromNs, fromNs + seconds].
struct Usage {
    std::int64_t startNs = 0;
    std::int64_t endNs = 0;
    ThreadCounters used;
    std::size_t threads = 0;
};

Usage MeasureUsage(std::int64_t fromNs, double seconds) {
    const pid_t self = CurrentThreadId();
    SleepUntilNs(fromNs);
    Usage u;
    u.startNs = NowNs();
    const ThreadSnapshot before = SampleThreads(self);
    SleepUntilNs(u.startNs + static_cast<std::int64_t>(seconds * 1e9));
    const ThreadSnapshot after = SampleThreads(self);
    u.endNs = NowNs();
    u.used = Difference(before, after);
    u.threads = after.size();
    return u;
}

void PrintUsage(const Usage& u) {
    std::printf("threads %zu\nwindow %lld %lld\ncpu_ns %lld\nwakeups %lld\n", u.threads,
                static_cast<long long>(u.startNs), static_cast<long long>(u.endNs),
                static_cast<long long>(u.used.cpuNs), static_cast<long long>(u.used.voluntarySwitches));
}

void Poll(int count, int periodMs, double seconds) {
    if (count < 1 || count > kMaxConnections) Fail("bad connection count");
    OpenAll(count, CountAnswer);
    std::vector<std::int64_t> phaseLow(static_cast<std::size_t>(count));
    std::vector<std::int64_t> phaseHigh(phaseLow.size());
    for (int k = 0; k < count; ++k) {
        const ComID id = gIds[k].load();
        if (!gApi.pollable[kVoltage](true, id) || !gApi.pollable[kPosition](true, id)) Fail("flagging failed");
        const auto i = static_cast<std::size_t>(k);
        phaseLow[i] = NowNs();
        if (!gApi.setTime(periodMs, id)) Fail("period refused: " + gApi.LastError());
        phaseHigh[i] = NowNs();
        if (!gApi.start(id)) Fail("start refused: " + gApi.LastError());
    }
    const std::int64_t warmupNs = std::max<std::int64_t>(std::int64_t{periodMs} * 3000000, 300000000);
    std::vector<std::int64_t> before(phaseLow.size());
    const std::int64_t from = NowNs() + warmupNs;
    SleepUntilNs(from);
    for (int k = 0; k < count; ++k) before[static_cast<std::size_t>(k)] = gAnswers[k].load();
    const Usage usage = MeasureUsage(from, seconds);
    for (int k = 0; k < count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        std::printf("conn %d %lld %lld %lld\n", k, static_cast<long long>(phaseLow[i]),
                    static_cast<long long>(phaseHigh[i]), static_cast<long long>(gAnswers[k].load() - before[i]));
    }
    PrintUsage(usage);
    for (int k = 0; k < count; ++k) gApi.stop(gIds[k].load());
    CloseAll();
}

// The closed loop: the data callback flags the 11 registers and triggers the next exchange.
struct Loop {
    int warmup = 0;
    int total = 0;
    std::atomic<int> answers{0};
    std::int64_t startNs = 0;
    std::int64_t endNs = 0;
    ThreadSnapshot startThreads;
    pid_t mainThread = 0;
    bool failed = false;
    bool finished = false;
} gLoop;

bool Trigger(ComID id) {
    for (const auto read : gApi.pollable)
        if (!read(false, id)) return false;
    return gApi.send(id);
}

void Finish(bool failed) {
    std::lock_guard lock(gMutex);
    gLoop.failed = failed;
    gLoop.finished = true;
    gChanged.notify_all();
}

void VORN_KRAVENT_CALL OnLoopAnswer(RegisterValues*, ComID com) {
    const int index = gLoop.answers.fetch_add(1, std::memory_order_relaxed) + 1;
    if (index == gLoop.warmup) {
        gLoop.startThreads = SampleThreads(gLoop.mainThread);
        gLoop.startNs = NowNs();
    }
    if (index == gLoop.total) {
        gLoop.endNs = NowNs();
        return Finish(false);
    }
    if (index < gLoop.total && !Trigger(com)) Finish(true);
}

void Closed(int exchanges) {
    gLoop.warmup = 500;
    gLoop.total = gLoop.warmup + exchanges;
    gLoop.mainThread = CurrentThreadId();
    OpenAll(1, OnLoopAnswer);
    if (!Trigger(gIds[0].load())) Fail("first trigger refused: " + gApi.LastError());
    std::unique_lock lock(gMutex);
    if (!gChanged.wait_for(lock, std::chrono::seconds(120), [] { return gLoop.finished; }) || gLoop.failed)
        Fail("the loop stalled: " + gApi.LastError());
    const ThreadCounters used = Difference(gLoop.startThreads, SampleThreads(gLoop.mainThread));
    lock.unlock();
    const double seconds = static_cast<double>(gLoop.endNs - gLoop.startNs) / 1e9;
    std::printf("rate %.1f\ncpu_ns %lld\nexchanges %d\n", exchanges / seconds, static_cast<long long>(used.cpuNs),
                exchanges);
    CloseAll();
}

void Idle(double seconds) {
    OpenAll(1, CountAnswer);
    PrintUsage(MeasureUsage(NowNs() + 200000000, seconds));
    CloseAll();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: kravent-bench-worker LIBRARY poll N PERIOD_MS SECONDS | closed EXCHANGES | idle SECONDS\n",
                   stderr);
        return 2;
    }
    std::string error;
    if (!gApi.Load(argv[1], error)) Fail("cannot load " + std::string(argv[1]) + ": " + error);
    const std::string mode = argv[2];
    if (mode == "poll" && argc == 6) {
        Poll(std::atoi(argv[3]), std::atoi(argv[4]), std::atof(argv[5]));
    } else if (mode == "closed") {
        Closed(std::max(100, std::atoi(argv[3])));
    } else if (mode == "idle") {
        Idle(std::atof(argv[3]));
    } else {
        Fail("bad arguments");
    }
    std::fflush(stdout);
    // The library's statics stay as they are: its threads have ended with the connections.
    std::_Exit(0);
}
