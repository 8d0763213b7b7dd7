// Many connections at once, and two builds of the library side by side: each figure
// runs kravent-bench --worker with the library file to measure, in a process of its own.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "bench/figures.h"
#include "bench/modes.h"
#include "bench/modules.h"

namespace kravent::bench {

namespace {

// Runs the worker and returns its output lines; an "error" line becomes `error`.
std::vector<std::string> RunWorker(const std::string& arguments, std::string& error) {
    const std::string command = ThisProgram() + " --worker " + arguments + " 2>&1";
    std::vector<std::string> lines;
    std::FILE* out = ::popen(command.c_str(), "r");
    if (out == nullptr) {
        error = "cannot start the worker";
        return lines;
    }
    char line[512];
    while (std::fgets(line, sizeof line, out) != nullptr) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        if (text.rfind("error ", 0) == 0) error = text.substr(6);
        lines.push_back(text);
    }
    const int status = ::pclose(out);
    if (status != 0 && error.empty()) error = "the worker failed (status " + std::to_string(status) + ")";
    return lines;
}

// The value after `key` in the worker's output, or 0.
double Value(const std::vector<std::string>& lines, const std::string& key, int index = 0) {
    for (const std::string& line : lines) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word != key) continue;
        double value = 0;
        for (int k = 0; k <= index; ++k) words >> value;
        return value;
    }
    return 0;
}

}  // namespace

ScaleFigures MeasureScale(Modules& modules, const std::string& library, int connections, int periodMs,
                          double seconds, std::string& error) {
    modules.TakeFrameTimes();  // forget the frames of earlier figures
    const std::vector<std::string> lines = RunWorker(library + " poll " + std::to_string(connections) + " " +
                                                         std::to_string(periodMs) + " " + std::to_string(seconds),
                                                     error);
    if (!error.empty()) return {};
    const std::vector<std::vector<std::int64_t>> frames = modules.TakeFrameTimesByModule();
    const auto windowStart = static_cast<std::int64_t>(Value(lines, "window", 0));
    const auto windowEnd = static_cast<std::int64_t>(Value(lines, "window", 1));
    const double windowSeconds = static_cast<double>(windowEnd - windowStart) / 1e9;
    if (windowSeconds <= 0 || frames.size() < static_cast<std::size_t>(connections)) {
        error = "the worker or the modules reported nothing";
        return {};
    }

    ScaleFigures f;
    f.answersWorst = 1e12;
    std::int64_t answers = 0;
    std::vector<double> lateness;
    for (const std::string& line : lines) {
        std::istringstream words(line);
        std::string key;
        int k = 0;
        std::int64_t phaseLow = 0, phaseHigh = 0, delivered = 0;
        if (!(words >> key >> k >> phaseLow >> phaseHigh >> delivered) || key != "conn") continue;
        answers += delivered;
        const double perSecond = static_cast<double>(delivered) / windowSeconds;
        f.answersMean += perSecond / connections;
        f.answersWorst = std::min(f.answersWorst, perSecond);
        std::vector<std::int64_t> times;
        for (const std::int64_t t : frames[static_cast<std::size_t>(k)])
            if (t >= windowStart && t < windowEnd) times.push_back(t);
        const ScheduleReport s = AnalyseSchedule(times, std::int64_t{periodMs} * 1000000, phaseLow, phaseHigh);
        lateness.insert(lateness.end(), s.latenessSamplesUs.begin(), s.latenessSamplesUs.end());
    }
    const double cpuNs = Value(lines, "cpu_ns");
    f.latenessP99Us = Summarise(lateness).p99;
    f.cpuPercent = 100.0 * cpuNs / 1e9 / windowSeconds;
    f.cpuUsPerExchange = answers > 0 ? cpuNs / 1000.0 / static_cast<double>(answers) : 0;
    f.threads = Value(lines, "threads");
    return f;
}

WorkerLoopFigures MeasureWorkerClosedLoop(const std::string& library, int exchanges, std::string& error) {
    const std::vector<std::string> lines = RunWorker(library + " closed " + std::to_string(exchanges), error);
    if (!error.empty()) return {};
    WorkerLoopFigures f;
    f.perSecond = Value(lines, "rate");
    f.cpuUsPerExchange = Value(lines, "cpu_ns") / 1000.0 / Value(lines, "exchanges");
    return f;
}

IdleFigures MeasureWorkerIdle(const std::string& library, double seconds, std::string& error) {
    const std::vector<std::string> lines = RunWorker(library + " idle " + std::to_string(seconds), error);
    if (!error.empty()) return {};
    const double windowSeconds = (Value(lines, "window", 1) - Value(lines, "window", 0)) / 1e9;
    IdleFigures f;
    f.cpuPercent = windowSeconds > 0 ? 100.0 * Value(lines, "cpu_ns") / 1e9 / windowSeconds : 0;
    f.wakeupsPerSecond = windowSeconds > 0 ? Value(lines, "wakeups") / windowSeconds : 0;
    f.threads = Value(lines, "threads");
    return f;
}

}  // namespace kravent::bench
