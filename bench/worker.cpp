// kravent-bench --worker: one measurement of one build of the library, in a process of
// its own, so that its threads and CPU time are the library's alone (besides this main
// thread) and two builds can be compared in one benchmark run. Started by the benchmark;
// prints its figures as "key value" lines.
//
//   --worker LIBRARY poll N PERIOD_MS SECONDS
//       N connections to the modules at 127.0.0.1 .. 127.0.0.N, each polling VOLTAGE and
//       POSITION every PERIOD_MS; per connection its timer phase window and its answers
//       in the measured window
//   --worker LIBRARY closed EXCHANGES
//       one connection in the closed loop of MeasureClosedLoop
//   --worker LIBRARY idle SECONDS
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

#include "bench/figures.h"
#include "bench/library_api.h"
#include "bench/modes.h"
#include "bench/thread_usage.h"

namespace kravent::bench {

namespace {

constexpr int kMaxConnections = 250;
constexpr auto kConnectTimeout = std::chrono::seconds(20);

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
        if (!Library().OpenConnection_MAINPORT(address, onData, OnEvent, &id)) Fail("open " + std::to_string(k) + ": " + Library().LastError());
        gIds[k].store(id);
    }
    std::unique_lock lock(gMutex);
    if (!gChanged.wait_for(lock, kConnectTimeout, [&] { return gConnected + gFailed >= count; }) || gFailed > 0)
        Fail("only " + std::to_string(gConnected) + " of " + std::to_string(count) + " connected");
}

void CloseAll() {
    for (int k = 0; k < gCount; ++k) {
        ComID id = gIds[k].load();
        Library().CloseConnection(&id);
    }
}

void PrintUsage(const ThreadCost& u) {
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
        if (!Library().Read_VOLTAGE(true, id) || !Library().Read_POSITION(true, id)) Fail("flagging failed");
        const auto i = static_cast<std::size_t>(k);
        phaseLow[i] = NowNs();
        if (!Library().RepetitiveAskSetTime(periodMs, id)) Fail("period refused: " + Library().LastError());
        phaseHigh[i] = NowNs();
        if (!Library().RepetitiveAskStart(id)) Fail("start refused: " + Library().LastError());
    }
    const std::int64_t warmupNs = std::max<std::int64_t>(std::int64_t{periodMs} * 3000000, 300000000);
    std::vector<std::int64_t> before(phaseLow.size());
    const std::int64_t from = NowNs() + warmupNs;
    SleepUntilNs(from);
    for (int k = 0; k < count; ++k) before[static_cast<std::size_t>(k)] = gAnswers[k].load();
    const ThreadCost usage = MeasureThreadCost(from, seconds);
    for (int k = 0; k < count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        std::printf("conn %d %lld %lld %lld\n", k, static_cast<long long>(phaseLow[i]),
                    static_cast<long long>(phaseHigh[i]), static_cast<long long>(gAnswers[k].load() - before[i]));
    }
    PrintUsage(usage);
    for (int k = 0; k < count; ++k) Library().RepetitiveAskStop(gIds[k].load());
    CloseAll();
}

void Closed(int exchanges) {
    std::string error;
    const ExchangeFigures f = MeasureClosedLoop(500, exchanges, error);
    if (!error.empty()) Fail(error);
    std::printf("rate %.1f\ncpu_ns %lld\nexchanges %d\n", f.PerSecond(), static_cast<long long>(f.libraryCpuNs),
                exchanges);
}

void Idle(double seconds) {
    OpenAll(1, CountAnswer);
    PrintUsage(MeasureThreadCost(NowNs() + 200000000, seconds));
    CloseAll();
}

}  // namespace

int WorkerMode(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: kravent-bench --worker LIBRARY poll N PERIOD_MS SECONDS | closed EXCHANGES | idle SECONDS\n",
                   stderr);
        return 2;
    }
    std::string error;
    if (!Library().Load(argv[0], error)) Fail("cannot load " + std::string(argv[0]) + ": " + error);
    const std::string mode = argv[1];
    if (mode == "poll" && argc == 5) {
        Poll(std::atoi(argv[2]), std::atoi(argv[3]), std::atof(argv[4]));
    } else if (mode == "closed") {
        Closed(std::max(100, std::atoi(argv[2])));
    } else if (mode == "idle") {
        Idle(std::atof(argv[2]));
    } else {
        Fail("bad arguments");
    }
    std::fflush(stdout);
    // The library's statics stay as they are: its threads have ended with the connections.
    std::_Exit(0);
}

}  // namespace kravent::bench
