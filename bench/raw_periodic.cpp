// What this machine allows a periodic poller: a thread that sleeps until absolute
// deadlines (clock_nanosleep, default timer slack) and then does the exchange of one
// poll over a blocking loopback connection, request times taken at the responder.
// Missed deadlines are skipped, as the library's period timer does.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <thread>
#include <vector>

#include "bench/figures.h"
#include "bench/tcp_socket.h"

namespace kravent::bench {

namespace {

timespec AsTimespec(std::int64_t ns) { return {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)}; }

std::int64_t ThreadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

std::int64_t ThreadVoluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

}  // namespace

PollFigures MeasureRawPeriodic(int periodMs, double seconds, std::string& error) {
    PollFigures figures;
    const Socket listener = Socket::Listen();
    if (!listener.Valid()) {
        error = "no listener";
        return figures;
    }
    const std::int64_t periodNs = std::int64_t{periodMs} * 1000000;
    const auto expected = static_cast<std::size_t>(seconds * 1e9 / static_cast<double>(periodNs)) + 1000;
    std::vector<std::int64_t> arrivals;
    arrivals.reserve(expected);  // no reallocation while requests arrive
    std::thread responder([&] {
        const Socket peer = listener.Accept();
        std::array<std::uint8_t, kRequestBytes> request{};
        const std::array<std::uint8_t, kAnswerBytes> answer{};
        while (peer.ReceiveAll(request.data(), request.size())) {
            if (arrivals.size() < arrivals.capacity()) arrivals.push_back(NowNs());
            if (!peer.SendAll(answer.data(), answer.size())) break;
        }
    });

    const Socket client = Socket::Connect(listener.LocalPort());
    if (!client.Valid()) listener.Shutdown();
    const std::int64_t phase = NowNs();
    const std::int64_t windowStart = phase + std::max<std::int64_t>(3 * periodNs, 50000000);
    const std::int64_t windowEnd = windowStart + static_cast<std::int64_t>(seconds * 1e9);
    bool ok = client.Valid();
    bool inWindow = false;
    std::int64_t cpuAtStart = 0;
    std::int64_t switchesAtStart = 0;
    const std::array<std::uint8_t, kRequestBytes> request{};
    std::array<std::uint8_t, kAnswerBytes> answer{};
    for (std::int64_t deadline = phase + periodNs; ok && deadline < windowEnd;) {
        const timespec wake = AsTimespec(deadline);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) != 0) {
        }
        if (!inWindow && deadline >= windowStart) {
            inWindow = true;
            cpuAtStart = ThreadCpuNs();
            switchesAtStart = ThreadVoluntarySwitches();
        }
        ok = client.SendAll(request.data(), request.size()) && client.ReceiveAll(answer.data(), answer.size());
        const std::int64_t now = NowNs();
        deadline += periodNs;
        if (deadline <= now) deadline += ((now - deadline) / periodNs + 1) * periodNs;
    }
    const double elapsed = static_cast<double>(windowEnd - windowStart) / 1e9;
    figures.cpuPercent = 100.0 * static_cast<double>(ThreadCpuNs() - cpuAtStart) / 1e9 / elapsed;
    figures.wakeupsPerSecond = static_cast<double>(ThreadVoluntarySwitches() - switchesAtStart) / elapsed;
    client.Shutdown();
    responder.join();
    if (!ok) {
        error = "the periodic exchange broke off";
        return figures;
    }
    for (const std::int64_t t : arrivals)
        if (t >= windowStart && t < windowEnd) figures.windowTimes.push_back(t);
    figures.schedule = AnalyseSchedule(figures.windowTimes, periodNs, phase, phase);
    figures.phaseLow = figures.phaseHigh = phase;
    return figures;
}

}  // namespace kravent::bench
