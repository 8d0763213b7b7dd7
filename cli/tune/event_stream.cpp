// The page's stream of Server-Sent Events: the poll's samples as columns, about once a
// screen frame, and the link's state and the running experiment when they change.
#include <httplib.h>

#include <cmath>
#include <cstdio>
#include <thread>
#include <utility>

#include "cli/register_catalogue.h"
#include "cli/tune/tune_server.h"

namespace kravent::cli::tune {

namespace {

constexpr std::chrono::milliseconds kFrame{16};  // the stream sends at about a screen's rate
constexpr std::chrono::milliseconds kKeepAlive{1000};
constexpr std::size_t kBacklog = 2000;            // samples a new stream starts with
constexpr std::size_t kMostPerEvent = 20000;

// Sample times count from the server's start, so that a page that reconnects keeps its axis.
const Clock::time_point g_origin = Clock::now();

std::string Number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// One event of samples: {"columns":[...],"seq":[...],"t":[...],"v":[[...],...]}, the
// values as columns, which is how the chart takes them.
std::string SamplesEvent(const std::vector<PollSample>& samples, std::size_t from, std::size_t to, Clock::time_point origin) {
    const auto& columns = *samples[from].columns;
    std::string out = "event: samples\ndata: {\"columns\":[";
    for (std::size_t k = 0; k < columns.size(); ++k) out += (k ? ",\"" : "\"") + std::string(Register(columns[k]).name) + "\"";
    out += "],\"seq\":[";
    for (std::size_t i = from; i < to; ++i) out += (i > from ? "," : "") + std::to_string(samples[i].sequence);
    out += "],\"t\":[";
    for (std::size_t i = from; i < to; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "%s%.6f", i > from ? "," : "",
                      std::chrono::duration<double>(samples[i].at - origin).count());
        out += text;
    }
    out += "],\"v\":[";
    for (std::size_t k = 0; k < columns.size(); ++k) {
        out += k ? ",[" : "[";
        for (std::size_t i = from; i < to; ++i) out += (i > from ? "," : "") + Number(samples[i].values[k]);
        out += "]";
    }
    return out + "]}\n\n";
}

}  // namespace

void TuneServer::AddStream() {
    http_->Get("/api/events", [this](const httplib::Request& request, httplib::Response& response) {
        const std::string client = request.get_param_value("client");
        struct Stream {
            std::uint64_t seen = 0;
            std::string hello;
            std::string status;
            std::string running;
            Clock::time_point lastWrite = Clock::now();
        };
        auto stream = std::make_shared<Stream>();
        // First of all, which run of the tool this is: a page that outlived an earlier one
        // starts its numbering afresh.
        stream->hello = "event: hello\ndata: " + nlohmann::json{{"server", instance_}}.dump() + "\n\n";
        if (const auto latest = ring_.Latest()) stream->seen = latest->sequence > kBacklog ? latest->sequence - kBacklog : 0;
        response.set_header("Cache-Control", "no-cache");
        response.set_chunked_content_provider(
            "text/event-stream",
            [this, stream](std::size_t, httplib::DataSink& sink) {
                if (stopping_) return false;
                std::this_thread::sleep_until(stream->lastWrite + kFrame);
                std::string out;
                std::swap(out, stream->hello);  // once, first
                const std::string status = StatusJson(link_.Status()).dump();
                if (status != stream->status) out += "event: status\ndata: " + status + "\n\n";
                stream->status = status;
                const std::string running = experiments_.Running().dump();
                if (running != stream->running) out += "event: running\ndata: " + running + "\n\n";
                stream->running = running;
                const std::vector<PollSample> samples = ring_.After(stream->seen, std::chrono::milliseconds(100), kMostPerEvent);
                for (std::size_t from = 0, to = 0; from < samples.size(); from = to) {
                    for (to = from + 1; to < samples.size() && samples[to].columns == samples[from].columns;) ++to;
                    out += SamplesEvent(samples, from, to, g_origin);
                }
                if (!samples.empty()) stream->seen = samples.back().sequence;
                if (out.empty() && Clock::now() - stream->lastWrite < kKeepAlive) return true;
                if (out.empty()) out = ": alive\n\n";  // a page that is gone shows as a failed write
                stream->lastWrite = Clock::now();
                return sink.write(out.data(), out.size());
            },
            [this, client](bool) {
                if (!client.empty() && experiments_.Stop("the page was closed", client))
                    std::fprintf(stderr, "kravent: tune: the page that ran the experiment was closed; the experiment stops\n");
            });
    });
}

}  // namespace kravent::cli::tune
