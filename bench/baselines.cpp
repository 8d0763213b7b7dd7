// What the machine and a peer stack allow, measured beside the library:
// - the wire's own limit: the exchange of the closed loop (19 bytes out, 60 back) over a
//   plain blocking loopback connection, against a responder that only answers or against
//   the simulated module itself; the sending thread reads the answer itself, or a reader
//   thread hands it over through a condition variable, as a library with a receive
//   thread must;
// - a periodic poller: a thread that sleeps until absolute deadlines (clock_nanosleep,
//   default timer slack) and then does the exchange of one poll, request times taken at
//   the responder; missed deadlines are skipped, as the library's period timer does;
// - libmodbus reading 20 holding registers (12 bytes out, 49 back) from its own TCP
//   server on loopback, one request at a time.
#include <modbus/modbus.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/figures.h"
#include "bench/tcp_socket.h"
#include "hostos/hostos.h"
#include "protocol/frame.h"
#include "protocol/register_map.h"

namespace kravent::bench {

namespace {

// Answers every request; with `arrivals`, notes when each came (as long as there is room,
// so that nothing is allocated while requests arrive).
void Respond(const Socket& listener, std::vector<std::int64_t>* arrivals = nullptr) {
    const Socket peer = listener.Accept();
    std::array<std::uint8_t, kRequestBytes> request{};
    const std::array<std::uint8_t, kAnswerBytes> answer{};
    while (peer.ReceiveAll(request.data(), request.size())) {
        if (arrivals != nullptr && arrivals->size() < arrivals->capacity()) arrivals->push_back(NowNs());
        if (!peer.SendAll(answer.data(), answer.size())) break;
    }
}

// Hands each answer from the reader thread to the sender.
class AnswerMailbox {
public:
    void Post() {
        std::lock_guard lock(mutex_);
        ++answers_;
        changed_.notify_one();
    }
    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_one();
    }
    // Waits until `count` answers have come; false when the reader stopped first.
    bool WaitFor(std::int64_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return answers_ >= count || closed_; });
        return answers_ >= count;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::int64_t answers_ = 0;
    bool closed_ = false;
};

// The read request of the 11 pollable registers, as the library sends it.
std::array<std::uint8_t, kRequestBytes> PollRequest() {
    std::array<std::uint8_t, kRequestBytes> frame{};
    wire::WriteHeader(frame.data(), wire::kReadRequest);
    std::size_t length = 0;
    for (const std::size_t index : kRepetitiveList) frame[wire::kHeaderSize + length++] = kRegisters[index].address;
    wire::CloseFrame(frame.data(), length);
    return frame;
}

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

constexpr int kModbusRegisters = 20;

struct ModbusContext {
    explicit ModbusContext(int port) : ctx(modbus_new_tcp("127.0.0.1", port)) {}
    ~ModbusContext() {
        if (ctx == nullptr) return;
        modbus_close(ctx);
        modbus_free(ctx);
    }
    ModbusContext(const ModbusContext&) = delete;
    ModbusContext& operator=(const ModbusContext&) = delete;
    modbus_t* ctx;
};

void Serve(modbus_t* ctx, int listener) {
    modbus_mapping_t* map = modbus_mapping_new(0, 0, kModbusRegisters, 0);
    int fd = listener;
    if (map != nullptr && modbus_tcp_accept(ctx, &fd) >= 0) {
        std::array<std::uint8_t, MODBUS_TCP_MAX_ADU_LENGTH> query{};
        for (;;) {
            const int length = modbus_receive(ctx, query.data());
            if (length < 0) break;
            if (length > 0 && modbus_reply(ctx, query.data(), length, map) < 0) break;
        }
    }
    if (map != nullptr) modbus_mapping_free(map);
}

}  // namespace

ExchangeFigures MeasureRawPingPong(bool readerThread, std::uint16_t modulePort, int warmup, int exchanges,
                                   std::string& error) {
    ExchangeFigures figures;
    const Socket listener = modulePort == 0 ? Socket::Listen() : Socket();
    if (modulePort == 0 && !listener.Valid()) {
        error = "no listener";
        return figures;
    }
    std::thread responder;
    if (modulePort == 0) responder = std::thread([&] { Respond(listener); });
    const Socket client = Socket::Connect(modulePort == 0 ? listener.LocalPort() : modulePort);
    if (!client.Valid() && modulePort == 0) listener.Shutdown();  // releases the responder's accept

    AnswerMailbox mailbox;
    std::thread reader;
    if (readerThread && client.Valid()) {
        reader = std::thread([&] {
            std::array<std::uint8_t, kAnswerBytes> answer{};
            while (client.ReceiveAll(answer.data(), answer.size())) mailbox.Post();
            mailbox.Close();
        });
    }

    const std::array<std::uint8_t, kRequestBytes> request = PollRequest();
    std::array<std::uint8_t, kAnswerBytes> answer{};
    std::vector<double>& latencyUs = figures.latencyUs;
    latencyUs.reserve(static_cast<std::size_t>(exchanges));
    std::int64_t startNs = NowNs();
    bool ok = client.Valid();
    for (int i = 0; ok && i < warmup + exchanges; ++i) {
        if (i == warmup) startNs = NowNs();
        const std::int64_t sentNs = NowNs();
        ok = client.SendAll(request.data(), request.size()) &&
             (readerThread ? mailbox.WaitFor(i + 1) : client.ReceiveAll(answer.data(), answer.size()));
        if (i >= warmup) latencyUs.push_back(static_cast<double>(NowNs() - sentNs) / 1000.0);
    }
    const std::int64_t endNs = NowNs();

    client.Shutdown();  // ends the reader and the responder
    if (reader.joinable()) reader.join();
    if (responder.joinable()) responder.join();
    if (!ok) {
        error = "the ping-pong broke off";
        return {};
    }
    figures.seconds = static_cast<double>(endNs - startNs) / 1e9;
    return figures;
}

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
    std::thread responder([&] { Respond(listener, &arrivals); });

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

ExchangeFigures MeasureModbus(int warmup, int requests, std::string& error) {
    ExchangeFigures figures;
    ModbusContext server(0);
    const int listener = server.ctx == nullptr ? -1 : modbus_tcp_listen(server.ctx, 1);
    if (listener < 0) {
        error = "libmodbus cannot listen";
        return figures;
    }
    std::thread serving([&] { Serve(server.ctx, listener); });

    ModbusContext client(hostos::BoundPort(listener));
    const bool connected = client.ctx != nullptr && modbus_connect(client.ctx) == 0;
    if (!connected) hostos::ShutdownSocket(listener);  // releases the server's accept

    std::array<std::uint16_t, kModbusRegisters> values{};
    std::vector<double>& latencyUs = figures.latencyUs;
    latencyUs.reserve(static_cast<std::size_t>(requests));
    bool ok = connected;
    std::int64_t startNs = NowNs();
    for (int i = 0; ok && i < warmup + requests; ++i) {
        if (i == warmup) startNs = NowNs();
        const std::int64_t sentNs = NowNs();
        ok = modbus_read_registers(client.ctx, 0, kModbusRegisters, values.data()) == kModbusRegisters;
        if (i >= warmup) latencyUs.push_back(static_cast<double>(NowNs() - sentNs) / 1000.0);
    }
    const std::int64_t endNs = NowNs();
    if (client.ctx != nullptr) modbus_close(client.ctx);  // the server's receive ends
    serving.join();
    hostos::SocketHandle listenerHandle = listener;
    hostos::CloseSocket(listenerHandle);
    if (!ok) {
        error = connected ? "a libmodbus request failed" : "libmodbus cannot connect";
        return {};
    }
    figures.seconds = static_cast<double>(endNs - startNs) / 1e9;
    return figures;
}

}  // namespace kravent::bench
