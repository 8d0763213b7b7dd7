#include "cli/tune/tune_server.h"

#include <httplib.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <utility>

#include "cli/register_catalogue.h"
#include "cli/svg_chart.h"
#include "cli/tune/assets.h"
#include "cli/tune/gain_form.h"
#include "cli/tune/gain_set.h"
#include "cli/value_format.h"
#include "protocol/text/text_escape.h"

namespace kravent::cli::tune {

namespace {

constexpr std::chrono::milliseconds kFrame{16};  // the stream sends at about a screen's rate
constexpr std::chrono::milliseconds kKeepAlive{1000};
constexpr std::size_t kBacklog = 2000;            // samples a new stream starts with
constexpr std::size_t kMostPerEvent = 20000;
constexpr int kMinPeriodMs = 1;
constexpr int kMaxPeriodMs = 100;
constexpr std::int32_t kScanCapacity = 64;
constexpr std::string_view kAlwaysPolled[] = {"POSITION", "DESIRED", "SPEED", "COMMAND"};

// Sample times count from the server's start, so that a page that reconnects keeps its axis.
const Clock::time_point g_origin = Clock::now();

std::size_t Index(std::string_view name) { return *FindRegister(name); }

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

nlohmann::json StatusJson(const LinkStatus& status) {
    return {{"state", LinkStateName(status.state)}, {"address", status.address}, {"detail", status.detail},
            {"mac", status.mac},                    {"name", status.name},       {"connections", status.connections}};
}

std::map<std::string, std::string> TextValues(const RegisterValues& values, const std::vector<std::size_t>& indices) {
    std::map<std::string, std::string> out;
    for (const std::size_t index : indices)
        if (ReceivedIn(values, index)) out[std::string(Register(index).name)] = FormatText(index, FromRecord(values, index));
    return out;
}

std::map<std::string, std::string> ReadForm(ModuleLink& link) {
    LinkRequest request;
    request.reads = FormRegisters();
    const LinkAnswer answer = link.Exchange(request);
    if (!answer.ok) throw ApiError(503, answer.error);
    return TextValues(answer.values, request.reads);
}

std::map<std::string, std::string> TypedValues(const nlohmann::json& values) {
    if (!values.is_object()) throw ApiError(400, "values expects an object of register: value");
    std::map<std::string, std::string> typed;
    for (const auto& [name, value] : values.items()) {
        if (value.is_string()) typed[name] = value.get<std::string>();
        else if (value.is_number_integer()) typed[name] = std::to_string(value.get<long long>());
        else if (value.is_number()) typed[name] = value.dump();
        else throw ApiError(400, name + " expects a number");
    }
    return typed;
}

void Refuse(httplib::Response& response, const ApiError& error) {
    response.status = error.status;
    nlohmann::json body{{"error", error.what()}};
    if (!error.errors.is_null()) body["errors"] = error.errors;
    response.set_content(body.dump(), "application/json");
}

bool HostIsLoopback(const std::string& host) {
    const std::string name = host.substr(0, host.rfind(':') == std::string::npos || host.back() == ']' ? host.size() : host.rfind(':'));
    return name == "localhost" || name == "[::1]" || IsLoopbackAddress(name);
}

}  // namespace

std::string NewToken() {
    std::random_device random;
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
        token += part;
    }
    return token;
}

bool IsLoopbackAddress(const std::string& address) {
    const auto quad = text::ParseDottedQuad(address);
    return quad && (*quad)[0] == 127;
}

TuneServer::TuneServer(ModuleLink& link, SampleRing& ring, ServerOptions options)
    : link_(link), ring_(ring), options_(std::move(options)), instance_(NewToken()), experiments_(link, ring),
      http_(std::make_unique<httplib::Server>()) {
    // Each page holds a stream and a few short requests at once.
    http_->new_task_queue = [] { return new httplib::ThreadPool(24); };
    http_->set_keep_alive_timeout(2);
    http_->set_pre_routing_handler([this](const httplib::Request& request, httplib::Response& response) {
        const bool tokenOk = options_.token.empty() || request.get_param_value("token") == options_.token ||
                             request.get_header_value("X-Kravent-Token") == options_.token;
        // On loopback, a page of another site must not reach the tool through the browser.
        const bool hostOk = !options_.token.empty() || HostIsLoopback(request.get_header_value("Host"));
        const bool bodyOk = request.method != "POST" || request.get_header_value("Content-Type").rfind("application/json", 0) == 0;
        if (tokenOk && hostOk && bodyOk) return httplib::Server::HandlerResponse::Unhandled;
        response.status = tokenOk && hostOk ? 415 : 403;
        response.set_content(nlohmann::json{{"error", !tokenOk ? "this page needs the token of the URL that kravent tune printed"
                                                      : !hostOk ? "only loopback names reach this page"
                                                                : "requests send JSON"}}
                                 .dump(),
                             "application/json");
        return httplib::Server::HandlerResponse::Handled;
    });
    experiments_.Add("step", StepExperiment(stepRuns_));
    AddRoutes();
    AddStream();
}

TuneServer::~TuneServer() { Stop(); }

void TuneServer::Get(const std::string& path, Handler handler) {
    http_->Get(path, [handler](const httplib::Request& request, httplib::Response& response) {
        nlohmann::json input = nlohmann::json::object();
        for (const auto& [key, value] : request.params) input[key] = value;
        for (std::size_t k = 1; k < request.matches.size(); ++k) input["match" + std::to_string(k)] = request.matches[k].str();
        try {
            response.set_content(handler(input).dump(), "application/json");
        } catch (const ApiError& e) {
            Refuse(response, e);
        }
    });
}

void TuneServer::Post(const std::string& path, Handler handler) {
    http_->Post(path, [handler](const httplib::Request& request, httplib::Response& response) {
        try {
            nlohmann::json input = request.body.empty() ? nlohmann::json::object() : nlohmann::json::parse(request.body);
            if (!input.is_object()) throw ApiError(400, "the body is a JSON object");
            for (std::size_t k = 1; k < request.matches.size(); ++k) input["match" + std::to_string(k)] = request.matches[k].str();
            response.set_content(handler(input).dump(), "application/json");
        } catch (const nlohmann::json::exception& e) {
            response.status = 400;
            response.set_content(nlohmann::json{{"error", std::string("not JSON: ") + e.what()}}.dump(), "application/json");
        } catch (const ApiError& e) {
            Refuse(response, e);
        }
    });
}

void TuneServer::AddRoutes() {
    const auto serveAsset = [](const httplib::Request& request, httplib::Response& response) {
        const Asset* asset = FindAsset(request.path == "/" ? "/index.html" : request.path);
        if (!asset) {
            response.status = 404;
            return;
        }
        response.set_header("Cache-Control", "no-cache");
        response.set_content(asset->body.data(), asset->body.size(), std::string(asset->type).c_str());
    };
    http_->Get("/", serveAsset);
    http_->Get(R"(/(index\.html|tune\.js|tune\.css|vendor/[A-Za-z.]+))", serveAsset);

    Get("/api/info", [this](const nlohmann::json&) {
        nlohmann::json pollable = nlohmann::json::array();
        for (std::size_t index = 0; index < kRegisters.size(); ++index)
            if (kRegisters[index].repetitive)
                pollable.push_back({{"name", kRegisters[index].name}, {"unit", ChartUnitOf(index)}});
        nlohmann::json polled = nlohmann::json::array();
        for (const std::size_t index : link_.Polled()) polled.push_back(Register(index).name);
        nlohmann::json always = nlohmann::json::array();
        for (const std::string_view name : kAlwaysPolled) always.push_back(name);
        return nlohmann::json{{"status", StatusJson(link_.Status())}, {"polled", polled},       {"always_polled", always},
                              {"period_ms", link_.PeriodMs()},       {"pollable", pollable},   {"form", FormDescription()},
                              {"period_range", {kMinPeriodMs, kMaxPeriodMs}}, {"running", experiments_.Running()}};
    });

    Post("/api/poll", [this](const nlohmann::json& input) {
        std::vector<std::size_t> polled;
        for (const std::string_view name : kAlwaysPolled) polled.push_back(Index(name));
        for (const auto& name : input.value("registers", nlohmann::json::array())) {
            const auto index = name.is_string() ? FindRegister(name.get<std::string>()) : std::nullopt;
            if (!index || !kRegisters[*index].repetitive) throw ApiError(400, name.dump() + " is not a pollable register");
            if (std::find(polled.begin(), polled.end(), *index) == polled.end()) polled.push_back(*index);
        }
        const nlohmann::json period = input.value("period_ms", nlohmann::json(link_.PeriodMs()));
        if (!period.is_number_integer() || period.get<int>() < kMinPeriodMs || period.get<int>() > kMaxPeriodMs)
            throw ApiError(400, "period_ms expects 1 to 100 ms");
        // Sorted as the library asks for them, so that the columns follow the answers.
        std::sort(polled.begin(), polled.end());
        link_.SetPolling(polled, period.get<int>());
        return nlohmann::json{{"ok", true}};
    });

    Get("/api/gains", [this](const nlohmann::json&) { return nlohmann::json{{"values", ReadForm(link_)}}; });

    Post("/api/gains", [this](const nlohmann::json& input) {
        const CheckedForm checked = CheckForm(TypedValues(input.value("values", nlohmann::json::object())));
        if (!checked.errors.empty()) throw ApiError(400, "values out of their ranges", checked.errors);
        if (checked.writes.empty()) throw ApiError(400, "no value to write");
        LinkRequest request;
        request.writes = checked.writes;
        const LinkAnswer written = link_.Exchange(request);
        if (!written.ok) throw ApiError(503, written.error);
        return nlohmann::json{{"sent", checked.asSent}, {"read", ReadForm(link_)}};
    });

    Get("/api/gainset", [this](const nlohmann::json& input) {
        const LinkStatus status = link_.Status();
        GainSet set;
        set.name = input.value("name", std::string("gains"));
        set.time = UtcNow();
        set.mac = status.mac;
        set.moduleName = status.name;
        set.ip = status.address;
        set.values = ReadForm(link_);
        return GainSetJson(set);
    });

    Post("/api/gainset/check", [](const nlohmann::json& input) {
        GainSet set;
        std::string error;
        if (!ParseGainSet(input.value("set", nlohmann::json()), set, error)) throw ApiError(400, error);
        const CheckedForm checked = CheckForm(set.values);
        if (!checked.errors.empty()) throw ApiError(400, "values out of their ranges", checked.errors);
        nlohmann::json out = GainSetJson(set);
        out["values"] = checked.asSent;
        return out;
    });

    Post(R"(/api/experiments/([a-z_]+))", [this](const nlohmann::json& input) {
        const std::string name = input.value("match1", std::string());
        if (!experiments_.Has(name)) throw ApiError(404, "no experiment " + name);
        try {
            return experiments_.Run(name, input, input.value("client", std::string()));
        } catch (const ExperimentError& e) {
            throw ApiError(409, e.what());
        }
    });

    Post("/api/stop", [this](const nlohmann::json&) {
        const bool stopped = experiments_.Stop("stopped from the page");
        return nlohmann::json{{"stopped", stopped}};
    });

    Post("/api/hold", [this](const nlohmann::json&) {
        experiments_.Stop("held from the page");
        const std::string error = experiments_.Hold();
        if (!error.empty()) throw ApiError(503, error);
        return nlohmann::json{{"held", true}};
    });

    http_->Get(R"(/api/runs/(\d+)\.(csv|svg))", [this](const httplib::Request& request, httplib::Response& response) {
        const auto run = stepRuns_.Find(std::stoi(request.matches[1].str()));
        if (!run) {
            response.status = 404;
            return;
        }
        const bool svg = request.matches[2] == "svg";
        response.set_header("Content-Disposition", "attachment; filename=\"step-" + std::to_string(run->id) + "." +
                                                       request.matches[2].str() + "\"");
        if (svg) {
            Chart chart = StepChart(run->recording, run->figures);
            response.set_content(RenderSvg(chart), "image/svg+xml");
        } else {
            response.set_content(StepCsv(run->recording), "text/csv");
        }
    });

    Get("/api/scan", [](const nlohmann::json&) {
        static ModuleScanRecord records[kScanCapacity];
        static std::mutex scanning;
        std::lock_guard lock(scanning);
        const std::int32_t found = Vorn_KRAVENT_ScanNetwork(records, kScanCapacity);
        nlohmann::json modules = nlohmann::json::array();
        for (std::int32_t i = 0; i < std::min(found, kScanCapacity); ++i) {
            const ModuleScanRecord& r = records[i];
            std::size_t length = 0;
            while (length < sizeof r.ModuleName && r.ModuleName[length] != 0) ++length;
            modules.push_back({{"mac", FormatMac(r.ModuleMac)},
                               {"ip", FormatAddress(r.ModuleIP)},
                               {"name", text::EscapeText(std::string(r.ModuleName, length))}});
        }
        return nlohmann::json{{"found", found}, {"modules", modules}};
    });

    Post("/api/connect", [this](const nlohmann::json& input) {
        const auto quad = text::ParseDottedQuad(input.value("ip", std::string()));
        if (!quad) throw ApiError(400, "ip expects a dotted IPv4 address");
        if (experiments_.Running() != nullptr) throw ApiError(409, "an experiment is running");
        link_.Retarget({(*quad)[0], (*quad)[1], (*quad)[2], (*quad)[3]});
        return nlohmann::json{{"ok", true}};
    });
}

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
                    std::fprintf(stderr, "kravent: tune: the page that ran the experiment was closed; the motor holds\n");
            });
    });
}

bool TuneServer::Bind(std::string& error) {
    if (options_.port == 0) {
        options_.port = http_->bind_to_any_port(options_.address.c_str());
        if (options_.port > 0) return true;
    } else if (http_->bind_to_port(options_.address.c_str(), options_.port)) {
        return true;
    }
    error = "cannot listen on " + options_.address + ":" + std::to_string(options_.port);
    return false;
}

std::string TuneServer::Url() const {
    return "http://" + options_.address + ":" + std::to_string(options_.port) + "/" +
           (options_.token.empty() ? "" : "?token=" + options_.token);
}

void TuneServer::Serve() { http_->listen_after_bind(); }

void TuneServer::Stop() {
    stopping_ = true;
    ring_.Interrupt();
    http_->stop();
}

}  // namespace kravent::cli::tune
