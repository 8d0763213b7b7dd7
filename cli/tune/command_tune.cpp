// tune: the tuning page. The module link polls and reconnects on its own thread, the
// server answers the page; the main thread waits for a stop, then holds the motor if
// an experiment was under way and shuts both down.
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "cli/commands.h"
#include "cli/register_catalogue.h"
#include "cli/stop_signals.h"
#include "cli/tune/tune_server.h"
#include "cli/value_format.h"

namespace kravent::cli {

namespace {

constexpr int kDefaultTunePeriodMs = 10;
constexpr std::size_t kRingSamples = 1 << 17;  // two minutes at 1 ms
constexpr std::string_view kFirstPolled[] = {"POSITION", "SPEED", "DESIRED", "COMMAND"};

// "ADDRESS:PORT", "ADDRESS" or ":PORT"; false when it is none of those.
bool ParseListen(const std::string& text, tune::ServerOptions& options) {
    const std::size_t colon = text.rfind(':');
    const std::string address = colon == std::string::npos ? text : text.substr(0, colon);
    if (!address.empty()) {
        if (!text::ParseDottedQuad(address)) return false;
        options.address = address;
    }
    if (colon != std::string::npos) {
        const auto port = text::ParseInteger(text.substr(colon + 1), 0, 65535);
        if (!port) return false;
        options.port = static_cast<int>(*port);
    }
    return true;
}

}  // namespace

int CommandTune(const Arguments& args, const Reporter& report) {
    const char* usage = "usage: kravent tune IP [--listen ADDR:PORT] [--period MS]";
    if (args.operands.size() != 1) return report.Usage(usage);
    const auto ip = text::ParseDottedQuad(args.operands[0]);
    if (!ip) return report.Usage("'" + args.operands[0] + "' is not a dotted IPv4 address");
    const int periodMs = args.periodMs.value_or(kDefaultTunePeriodMs);
    if (periodMs < 1 || periodMs > 100) return report.Usage("--period expects 1 to 100 ms for tune");
    tune::ServerOptions options;
    if (args.listen && !ParseListen(*args.listen, options))
        return report.Usage("--listen expects ADDRESS:PORT with a dotted IPv4 address");
    if (!tune::IsLoopbackAddress(options.address)) options.token = tune::NewToken();

    std::vector<std::size_t> polled;
    for (const std::string_view name : kFirstPolled) polled.push_back(*FindRegister(name));
    std::sort(polled.begin(), polled.end());
    tune::SampleRing ring(kRingSamples);
    tune::ModuleLink link({(*ip)[0], (*ip)[1], (*ip)[2], (*ip)[3]}, polled, periodMs,
                          [&ring](tune::PollSample&& sample) { ring.Push(std::move(sample)); });
    tune::TuneServer server(link, ring, options);
    std::string error;
    if (!server.Bind(error)) {
        link.Stop();
        return report.Failure(error);
    }

    std::mutex mutex;
    std::condition_variable stopped;
    bool stop = false;
    const StopHandler onStop([&] {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        stopped.notify_all();
    });
    std::thread serving([&] {
        server.Serve();
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        stopped.notify_all();
    });
    if (report.json()) std::printf("{\"url\":\"%s\",\"module\":\"%s\"}\n", server.Url().c_str(), args.operands[0].c_str());
    else std::printf("tuning page of %s: %s\n", args.operands[0].c_str(), server.Url().c_str());
    if (options.address == "0.0.0.0")
        report.Note("the page listens on every address of this machine: open it with one of them in place of 0.0.0.0");
    std::fflush(stdout);

    {
        std::unique_lock lock(mutex);
        stopped.wait(lock, [&] { return stop; });
    }
    // An experiment under way ends as a stop ends it: a step holds where the motor
    // stands, autotune puts back what it found.
    if (server.experiments().Stop("stopped by a signal")) {
        while (server.experiments().Running() != nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    server.Stop();
    serving.join();
    link.Stop();
    report.Summary("tune", "stopped");
    return kExitInterrupted;
}

}  // namespace kravent::cli
