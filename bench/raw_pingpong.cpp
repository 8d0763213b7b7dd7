// The wire's own limit on this machine: the exchange of the closed loop (19 bytes out,
// 60 back) over a plain blocking loopback connection, against a responder that only
// answers, or against the simulated module itself. Either the sending thread reads the
// answer itself, or a reader thread hands it over through a condition variable, as a
// library with a receive thread must.
#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/figures.h"
#include "bench/tcp_socket.h"
#include "protocol/frame.h"
#include "protocol/register_map.h"

namespace kravent::bench {

namespace {

void Respond(const Socket& listener) {
    const Socket peer = listener.Accept();
    std::array<std::uint8_t, kRequestBytes> request{};
    const std::array<std::uint8_t, kAnswerBytes> answer{};
    while (peer.ReceiveAll(request.data(), request.size()) && peer.SendAll(answer.data(), answer.size())) {
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

}  // namespace kravent::bench
