// kravent-bench: measures the library against the wire and a peer, in one run, inside
// a private network namespace (it broadcasts). See bench/README.md.
#include <sys/utsname.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench/alloc_counter.h"
#include "bench/figures.h"
#include "bench/library_api.h"
#include "bench/modes.h"
#include "bench/modules.h"
#include "bench/report.h"

using namespace kravent::bench;

namespace {

constexpr std::string_view kUsage = R"(Usage: tests/netns/run-in-netns.sh kravent-bench [options]
Measures the library's closed-loop exchanges, a raw TCP ping-pong and libmodbus side by
side, polling at 1, 10 and 100 ms, an idle connection, the open and the scan, and the
allocations of the exchange path. Runs only in a private network namespace.

  --json FILE         also write every figure to FILE
  --rounds N          run every figure N times (default 2, at least 1)
  --exchanges N       timed exchanges per closed loop (default 20000)
  --poll-seconds S    length of each polling and idle figure (default 5)
  --dump DIR          write the request times of every polling figure to DIR/poll-*.csv
  --baseline LIB      measure this other build of the library too, in the scale and
                      comparison sections, interleaved with this build
  --scale-seconds S   length of each scale figure (default 3)
  --only-scale        run only the scale and comparison sections
)";

struct Options {
    std::string json;
    std::string dump;
    int rounds = 2;
    int exchanges = 20000;
    double pollSeconds = 5;
    std::string baseline;
    double scaleSeconds = 3;
    bool onlyScale = false;
};

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--json" && hasValue) o.json = argv[++i];
        else if (arg == "--dump" && hasValue) o.dump = argv[++i];
        else if (arg == "--rounds" && hasValue) o.rounds = std::atoi(argv[++i]);
        else if (arg == "--exchanges" && hasValue) o.exchanges = std::atoi(argv[++i]);
        else if (arg == "--poll-seconds" && hasValue) o.pollSeconds = std::atof(argv[++i]);
        else if (arg == "--baseline" && hasValue) o.baseline = argv[++i];
        else if (arg == "--scale-seconds" && hasValue) o.scaleSeconds = std::atof(argv[++i]);
        else if (arg == "--only-scale") o.onlyScale = true;
        else return false;
    }
    return o.rounds >= 1 && o.exchanges >= 100 && o.pollSeconds >= 0.5 && o.scaleSeconds >= 0.5;
}

std::string Context(const Options& o, bool allocationCounting) {
    utsname host{};
    ::uname(&host);
    char load[64] = "";
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fgets(load, sizeof load, f) == nullptr) load[0] = '\0';
        std::fclose(f);
        load[std::strcspn(load, "\n")] = '\0';
    }
    return "{\"cpus\": " + std::to_string(std::thread::hardware_concurrency()) +
           ", \"kernel\": " + JsonString(std::string(host.release)) + ", \"loadavg_at_start\": " + JsonString(load) +
           ", \"exchanges\": " + std::to_string(o.exchanges) + ", \"poll_seconds\": " + std::to_string(o.pollSeconds) +
           ", \"allocation_counting\": " + (allocationCounting ? "true" : "false") + "}";
}

class Round {
public:
    Round(Report& report, Modules& modules, const Options& options, int round)
        : report_(report), modules_(modules), options_(options), round_(round) {}

    void Run() {
        if (!options_.onlyScale) Sections();
        ScaleSections();
    }

private:
    void Sections() {
        std::string error;
        if (!modules_.Start("127.0.0.1", 1, error)) return Fail("simulator", error);
        Exchanges();
        Polling(1);
        MachinePolling();
        Polling(10);
        Polling(100);
        Idle();
        Open();
        if (!modules_.Stop(error)) return Fail("simulator", error);
        Scan(0);
        if (!modules_.Start("127.0.0.11", 10, error)) return Fail("simulator", error);
        Scan(10);
        modules_.Stop(error);
    }

    static constexpr int kWarmup = 200;  // per block
    static constexpr int kBlocks = 20;
    static constexpr std::uint16_t kModulePort = 8010;

    void Add(const std::string& section, const std::string& name, const std::string& unit, double value) {
        report_.Add(section, name, unit, round_, value);
    }
    void Fail(const std::string& figure, const std::string& error) {
        report_.Error("run " + std::to_string(round_ + 1) + ", " + figure + ": " + error);
    }
    // The five exchange loops run in blocks, each block in a rotated order, so that a
    // change of the machine's load meets all of them alike.
    void Exchanges() {
        using Measure = ExchangeFigures (*)(int warmup, int exchanges, std::string& error);
        struct Loop {
            std::string section;
            Measure measure;
            ExchangeFigures total;
        };
        Loop loops[] = {
            {"library closed loop (11 registers, 19 B out, 60 B back; trigger to callback)", MeasureClosedLoop, {}},
            {"raw TCP ping-pong, one thread (same bytes)",
             [](int w, int n, std::string& e) { return MeasureRawPingPong(false, 0, w, n, e); }, {}},
            {"raw TCP ping-pong, reader thread and condition variable",
             [](int w, int n, std::string& e) { return MeasureRawPingPong(true, 0, w, n, e); }, {}},
            {"raw TCP ping-pong against the simulator, reader thread",
             [](int w, int n, std::string& e) { return MeasureRawPingPong(true, kModulePort, w, n, e); }, {}},
            {"libmodbus, 20 holding registers (12 B out, 49 B back)", MeasureModbus, {}},
        };
        constexpr std::size_t kLoops = std::size(loops);
        for (int block = 0; block < kBlocks; ++block) {
            for (std::size_t k = 0; k < kLoops; ++k) {
                Loop& loop = loops[(k + static_cast<std::size_t>(block)) % kLoops];
                std::string error;
                const ExchangeFigures f = loop.measure(kWarmup, options_.exchanges / kBlocks, error);
                if (!error.empty()) return Fail(loop.section, error);
                loop.total.Append(f);
            }
        }
        for (const Loop& loop : loops) {
            const Summary latency = Summarise(loop.total.latencyUs);
            Add(loop.section, "exchanges per second", "1/s", loop.total.PerSecond());
            Add(loop.section, "latency p50", "us", latency.p50);
            Add(loop.section, "latency p99", "us", latency.p99);
            Add(loop.section, "latency max", "us", latency.max);
            if (&loop == &loops[0])
                Add(loop.section, "heap allocations during the timed exchanges", "count",
                    static_cast<double>(loop.total.allocations));
        }
        const ExchangeFigures& library = loops[0].total;
        report_.Goal("zero allocations on the send and receive paths", round_, library.allocations == 0);

        const std::string ratios = "library's closed-loop rate as a ratio of";
        const double rate = library.PerSecond();
        Add(ratios, "raw ping-pong, one thread", "x", rate / loops[1].total.PerSecond());
        Add(ratios, "raw ping-pong, reader thread", "x", rate / loops[2].total.PerSecond());
        Add(ratios, "raw ping-pong against the simulator, reader thread", "x", rate / loops[3].total.PerSecond());
        Add(ratios, "libmodbus", "x", rate / loops[4].total.PerSecond());
        report_.Goal("closed loop at least as fast as libmodbus", round_, rate >= loops[4].total.PerSecond());
        report_.Goal("closed loop at least 0.8 of the two-thread ping-pong", round_,
                     rate >= 0.8 * loops[2].total.PerSecond());
    }

    void AddSchedule(const std::string& section, const PollFigures& f) {
        const ScheduleReport& s = f.schedule;
        Add(section, "requests in the window", "count", static_cast<double>(s.requests));
        Add(section, "mean period", "ms", s.meanPeriodUs / 1000.0);
        Add(section, "lateness p50", "us", s.latenessUs.p50);
        Add(section, "lateness p99", "us", s.latenessUs.p99);
        Add(section, "lateness max", "us", s.latenessUs.max);
        Add(section, "missed periods", "count", static_cast<double>(s.missedPeriods));
        Add(section, "extra requests (more than one per period)", "count", static_cast<double>(s.extraRequests));
        Add(section, "drift of the lateness", "us/s", s.driftUsPerSecond);
    }

    void Polling(int periodMs) {
        std::string error;
        const PollFigures f = MeasurePolling(modules_, periodMs, options_.pollSeconds, error);
        const std::string section = "polling every " + std::to_string(periodMs) + " ms (request times at the module)";
        if (!error.empty()) return Fail(section, error);
        if (!options_.dump.empty()) Dump(f, "poll-" + std::to_string(periodMs) + "ms");
        AddSchedule(section, f);
        Add(section, "library threads' CPU, of one core", "%", f.cpuPercent);
        Add(section, "library threads' wake-ups per second", "1/s", f.wakeupsPerSecond);
        Add(section, "answers delivered minus requests sent", "count",
            static_cast<double>(f.answersDelivered - f.requestsSent));
        const ScheduleReport& s = f.schedule;
        if (periodMs == 1) {
            report_.Goal("1 ms: lateness p99 at most 150 us, no missed period", round_,
                         s.latenessUs.p99 <= 150 && s.missedPeriods == 0);
        }
        if (periodMs == 100) {
            const bool steady = std::abs(s.driftUsPerSecond) <= 20 && std::abs(s.meanPeriodUs - 100000) <= 100 &&
                                s.missedPeriods == 0;
            report_.Goal("100 ms: no drift (20 us/s, mean period within 0.1 %)", round_, steady);
        }
    }

    // What the machine itself allows at 1 ms, measured right after the library.
    void MachinePolling() {
        std::string error;
        const PollFigures f = MeasureRawPeriodic(1, options_.pollSeconds, error);
        const std::string section = "machine: sleep to each 1 ms deadline, then one blocking exchange";
        if (!error.empty()) return Fail(section, error);
        if (!options_.dump.empty()) Dump(f, "raw-1ms");
        AddSchedule(section, f);
        Add(section, "polling thread's CPU, of one core", "%", f.cpuPercent);
        Add(section, "polling thread's wake-ups per second", "1/s", f.wakeupsPerSecond);
    }

    // One line per request: its time after the earliest possible tick phase, in us.
    void Dump(const PollFigures& f, const std::string& name) {
        const std::string path = options_.dump + "/" + name + "-run" + std::to_string(round_ + 1) + ".csv";
        std::FILE* out = std::fopen(path.c_str(), "w");
        if (out == nullptr) return Fail("dump", "cannot write " + path);
        std::fprintf(out, "# phase window %.1f us\nsince_phase_low_us\n",
                     static_cast<double>(f.phaseHigh - f.phaseLow) / 1000.0);
        for (const std::int64_t t : f.windowTimes)
            std::fprintf(out, "%.1f\n", static_cast<double>(t - f.phaseLow) / 1000.0);
        std::fclose(out);
    }

    void Idle() {
        std::string error;
        const PollFigures f = MeasureIdle(options_.pollSeconds, error);
        const std::string section = "open connection, no polling";
        if (!error.empty()) return Fail(section, error);
        Add(section, "library threads' CPU, of one core", "%", f.cpuPercent);
        Add(section, "library threads' wake-ups per second", "1/s", f.wakeupsPerSecond);
        report_.Goal("idle connection under 0.1 % of one core", round_, f.cpuPercent < 0.1);
    }

    void Open() {
        std::string error;
        const OpenFigures f = MeasureOpen(20, error);
        const std::string section = "open (UDP module test, TCP connect), 20 times";
        if (!error.empty()) return Fail(section, error);
        Add(section, "open call p50", "ms", f.callMs.p50);
        Add(section, "open call to Com_Event connected p50", "ms", f.connectedMs.p50);
        Add(section, "open call to Com_Event connected max", "ms", f.connectedMs.max);
    }

    void Scan(int modules) {
        std::string error;
        const ScanFigures f = MeasureScan(3, error);
        const std::string section = "scan (broadcast), 3 times";
        if (!error.empty()) return Fail(section, error);
        const std::string with = std::to_string(modules) + " modules";
        Add(section, "duration p50 with " + with, "ms", f.durationMs.p50);
        Add(section, "modules found with " + with, "count", f.found);
    }

    struct Build {
        std::string label;
        std::string library;
    };

    // This build and the baseline, in an order that alternates from figure to figure.
    std::vector<Build> Builds(int turn) const {
        std::vector<Build> builds{{"this build", OwnLibrary()}};
        if (!options_.baseline.empty()) builds.push_back({"baseline", options_.baseline});
        if ((turn + round_) % 2 == 1) std::reverse(builds.begin(), builds.end());
        return builds;
    }

    void ScaleSections() {
        static constexpr int kConnections[] = {1, 8, 32, 64};
        std::string error;
        if (!modules_.Start("127.0.0.1", 64, error)) return Fail("simulator", error);
        error.clear();
        int turn = 0;
        for (const int periodMs : {1, 10}) {
            const std::string section = "scale: VOLTAGE and POSITION every " + std::to_string(periodMs) + " ms";
            for (const int n : kConnections) {
                for (const Build& build : Builds(turn++)) {
                    const ScaleFigures f =
                        MeasureScale(modules_, build.library, n, periodMs, options_.scaleSeconds, error);
                    if (!error.empty()) return Fail(section + ", " + build.label, error);
                    const std::string at = "N=" + std::to_string(n) + ", " + build.label + ": ";
                    Add(section, at + "answers/s per connection, mean", "1/s", f.answersMean);
                    Add(section, at + "answers/s per connection, worst", "1/s", f.answersWorst);
                    Add(section, at + "lateness p99", "us", f.latenessP99Us);
                    Add(section, at + "library CPU, of one core", "%", f.cpuPercent);
                    Add(section, at + "library CPU per polled exchange", "us", f.cpuUsPerExchange);
                    Add(section, at + "library threads", "count", f.threads);
                    if (build.label != "this build") continue;
                    if (n == 1 || n == 32)
                        report_.Goal("library CPU per polled exchange at most 20 us (N=" + std::to_string(n) +
                                         ", " + std::to_string(periodMs) + " ms)",
                                     round_, f.cpuUsPerExchange <= 20);
                    if (n == 32 && periodMs == 1)
                        report_.Goal("N=32 at 1 ms: every connection at 990 answers/s or more", round_,
                                     f.answersWorst >= 990);
                }
            }
        }
        modules_.Stop(error);
        if (!modules_.Start("127.0.0.1", 1, error)) return Fail("simulator", error);
        CompareBuilds();
        modules_.Stop(error);
    }

    // The closed loop and an idle connection of each build, with libmodbus in the same
    // blocks, so that a change of the machine's load meets all of them alike.
    void CompareBuilds() {
        constexpr int kCompareBlocks = 5;
        const std::string section = "builds compared (closed loop of 11 registers; libmodbus in the same blocks)";
        std::vector<Build> builds = Builds(0);
        std::vector<double> seconds(builds.size()), cpuUs(builds.size());
        ExchangeFigures modbus;
        const int perBlock = options_.exchanges / kCompareBlocks;
        for (int block = 0; block < kCompareBlocks; ++block) {
            std::string error;
            for (std::size_t b = 0; b < builds.size(); ++b) {
                const WorkerLoopFigures f = MeasureWorkerClosedLoop(builds[b].library, perBlock, error);
                if (!error.empty()) return Fail(section + ", " + builds[b].label, error);
                seconds[b] += perBlock / f.perSecond;
                cpuUs[b] += f.cpuUsPerExchange / kCompareBlocks;
            }
            modbus.Append(MeasureModbus(kWarmup, perBlock, error));
            if (!error.empty()) return Fail(section + ", libmodbus", error);
        }
        Add(section, "libmodbus exchanges per second", "1/s", modbus.PerSecond());
        for (std::size_t b = 0; b < builds.size(); ++b) {
            const double rate = perBlock * kCompareBlocks / seconds[b];
            Add(section, builds[b].label + ": exchanges per second", "1/s", rate);
            Add(section, builds[b].label + ": as a ratio of libmodbus", "x", rate / modbus.PerSecond());
            Add(section, builds[b].label + ": library CPU per exchange", "us", cpuUs[b]);
            if (builds[b].label == "this build")
                report_.Goal("closed loop at least as fast as libmodbus (worker)", round_, rate >= modbus.PerSecond());
        }
        for (const Build& build : builds) {
            std::string error;
            const IdleFigures f = MeasureWorkerIdle(build.library, options_.pollSeconds, error);
            if (!error.empty()) return Fail(section + ", idle " + build.label, error);
            Add(section, build.label + ": idle connection, library CPU of one core", "%", f.cpuPercent);
            Add(section, build.label + ": idle connection, wake-ups per second", "1/s", f.wakeupsPerSecond);
            Add(section, build.label + ": idle connection, library threads", "count", f.threads);
        }
    }

    Report& report_;
    Modules& modules_;
    const Options& options_;
    int round_;
};

}  // namespace

std::string kravent::bench::ThisProgram() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
    return n > 0 && static_cast<std::size_t>(n) < sizeof path ? std::string(path, static_cast<std::size_t>(n)) : "kravent-bench";
}

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--worker") == 0) return WorkerMode(argc - 2, argv + 2);
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fputs(kUsage.data(), stderr);
        return 2;
    }
    const char* inNetns = std::getenv("KRAVENT_IN_NETNS");
    if (inNetns == nullptr || std::strcmp(inNetns, "1") != 0) {
        std::fputs("kravent-bench broadcasts and opens many connections: it runs only inside a private network\n"
                   "namespace. Run it as   tests/netns/run-in-netns.sh build-bench/bench/kravent-bench\n",
                   stderr);
        return 2;
    }

    std::string error;
    if (!Library().Load(OwnLibrary(), error)) {
        std::fprintf(stderr, "kravent-bench: cannot load %s: %s\n", OwnLibrary().c_str(), error.c_str());
        return 1;
    }
    Modules modules;
    if (!modules.Ready(error)) {
        std::fprintf(stderr, "kravent-bench: %s\n", error.c_str());
        return 1;
    }
    const bool counting = AllocationCountingWorks();
    if (!counting) std::fputs("kravent-bench: allocation counting does not work here\n", stderr);
    const std::string context = Context(options, counting);

    Report report(options.rounds);
    for (int round = 0; round < options.rounds; ++round) {
        std::fprintf(stderr, "run %d of %d...\n", round + 1, options.rounds);
        Round(report, modules, options, round).Run();
    }
    report.PrintTable(stdout);
    if (!options.json.empty() && !report.WriteJson(options.json, context)) {
        std::fprintf(stderr, "kravent-bench: cannot write %s\n", options.json.c_str());
        return 1;
    }
    return report.HasErrors() ? 1 : 0;
}
