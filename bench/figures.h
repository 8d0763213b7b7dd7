// The measurements of one benchmark round. Each returns its figures, or sets `error`
// (then the figures are left at zero).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/stats.h"

namespace kravent::bench {

class Modules;

// Request and answer sizes of one exchange that reads the 11 pollable registers.
inline constexpr std::size_t kRequestBytes = 19;
inline constexpr std::size_t kAnswerBytes = 60;

// The timed part of one or more runs of an exchange loop.
struct ExchangeFigures {
    double seconds = 0;
    std::vector<double> latencyUs;  // per exchange: trigger (or send) to delivered answer
    std::uint64_t allocations = 0;  // heap allocations of the whole process during the timed exchanges
    std::int64_t libraryCpuNs = 0;  // the library's threads (the data callback included), closed loop only

    double PerSecond() const { return seconds > 0 ? static_cast<double>(latencyUs.size()) / seconds : 0; }
    // Adds the timed exchanges of another run.
    void Append(const ExchangeFigures& other);
};

// The library: the data callback triggers the next exchange of the 11 pollable
// registers from inside itself.
ExchangeFigures MeasureClosedLoop(int warmup, int exchanges, std::string& error);

// A plain blocking TCP ping-pong of the same request and answer, against a trivial
// responder of its own (`modulePort` 0) or the simulated module at 127.0.0.1:modulePort:
// the sending thread reads the answers itself, or a reader thread hands each answer
// to it through a condition variable.
ExchangeFigures MeasureRawPingPong(bool readerThread, std::uint16_t modulePort, int warmup, int exchanges,
                                   std::string& error);

// libmodbus reading 20 holding registers from its own TCP server.
ExchangeFigures MeasureModbus(int warmup, int requests, std::string& error);

struct PollFigures {
    ScheduleReport schedule;
    double cpuPercent = 0;  // of one core, by the library's threads
    double wakeupsPerSecond = 0;  // voluntary context switches of the library's threads
    std::vector<std::int64_t> windowTimes;  // the analysed request times, ns
    std::int64_t phaseLow = 0;              // the window of the timer's phase, ns
    std::int64_t phaseHigh = 0;
    std::int64_t requestsSent = 0;      // over the whole run, as the module counted them
    std::int64_t answersDelivered = 0;  // to the data callback over the whole run
};

// Polls the 11 registers every `periodMs` for `seconds`, request times taken at the module.
PollFigures MeasurePolling(Modules& modules, int periodMs, double seconds, std::string& error);

// The machine's own limit for the same poll: a thread sleeping until absolute
// deadlines, then one blocking exchange; its CPU and wake-ups are those of that thread.
PollFigures MeasureRawPeriodic(int periodMs, double seconds, std::string& error);

// An open connection that does not poll, for `seconds`.
PollFigures MeasureIdle(double seconds, std::string& error);

struct OpenFigures {
    Summary callMs;       // the open call: the UDP module test and the start of the connect
    Summary connectedMs;  // from the call to Com_Event "connected"
};

OpenFigures MeasureOpen(int opens, std::string& error);

struct ScanFigures {
    Summary durationMs;
    int found = 0;  // modules found by the last scan
};

ScanFigures MeasureScan(int scans, std::string& error);

// The figures below come from kravent-bench --worker, which loads the library file given.

struct ScaleFigures {
    double answersMean = 0;   // answers per connection per second, mean over the connections
    double answersWorst = 0;  // ... of the connection with the fewest
    double latenessP99Us = 0;  // over the requests of every connection, at the modules
    double cpuPercent = 0;     // the library's threads, of one core
    double cpuUsPerExchange = 0;
    double threads = 0;  // the library's threads while polling
};

// `connections` connections to the modules at 127.0.0.1 onwards, each polling VOLTAGE
// and POSITION every `periodMs` for `seconds`.
ScaleFigures MeasureScale(Modules& modules, const std::string& library, int connections, int periodMs,
                          double seconds, std::string& error);

struct WorkerLoopFigures {
    double perSecond = 0;
    double cpuUsPerExchange = 0;  // the library's threads, the data callback included
};

// The closed loop of MeasureClosedLoop in a worker.
WorkerLoopFigures MeasureWorkerClosedLoop(const std::string& library, int exchanges, std::string& error);

struct IdleFigures {
    double cpuPercent = 0;
    double wakeupsPerSecond = 0;
    double threads = 0;
};

IdleFigures MeasureWorkerIdle(const std::string& library, double seconds, std::string& error);

}  // namespace kravent::bench
