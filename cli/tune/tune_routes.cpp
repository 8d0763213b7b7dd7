// The JSON API of the tuning page: what the page shows and asks the module.
#include <httplib.h>

#include <algorithm>

#include "cli/register_catalogue.h"
#include "cli/svg_chart.h"
#include "cli/tune/assets.h"
#include "cli/tune/gain_form.h"
#include "cli/tune/gain_set.h"
#include "cli/tune/tune_server.h"
#include "cli/value_format.h"
#include "protocol/text/text_escape.h"

namespace kravent::cli::tune {

namespace {

constexpr int kMinPeriodMs = 1;
constexpr int kMaxPeriodMs = 100;
constexpr std::int32_t kScanCapacity = 64;
constexpr std::string_view kAlwaysPolled[] = {"POSITION", "DESIRED", "SPEED", "COMMAND"};

std::size_t Index(std::string_view name) { return *FindRegister(name); }

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

}  // namespace

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

    // What the module holds now becomes what it starts with.
    Post("/api/save", [this](const nlohmann::json&) {
        LinkRequest request;
        request.writes = {{Index("SAVEUSERPARAMETERS"), HostValue{}}};
        const LinkAnswer saved = link_.Exchange(request);
        if (!saved.ok) throw ApiError(503, saved.error);
        return nlohmann::json{{"saved", true}};
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

}  // namespace kravent::cli::tune
