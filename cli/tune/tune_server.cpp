#include "cli/tune/tune_server.h"

#include <httplib.h>

#include <cstdio>
#include <random>
#include <utility>

#include "cli/tune/autotune_experiment.h"
#include "cli/value_format.h"

namespace kravent::cli::tune {

namespace {

bool HostIsLoopback(const std::string& host) {
    const std::string name = host.substr(0, host.rfind(':') == std::string::npos || host.back() == ']' ? host.size() : host.rfind(':'));
    return name == "localhost" || name == "[::1]" || IsLoopbackAddress(name);
}

}  // namespace

void Refuse(httplib::Response& response, const ApiError& error) {
    response.status = error.status;
    nlohmann::json body{{"error", error.what()}};
    if (!error.errors.is_null()) body["errors"] = error.errors;
    response.set_content(body.dump(), "application/json");
}

nlohmann::json StatusJson(const LinkStatus& status) {
    return {{"state", LinkStateName(status.state)}, {"address", status.address}, {"detail", status.detail},
            {"mac", status.mac},                    {"name", status.name},       {"connections", status.connections}};
}

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
    experiments_.Add("autotune", AutotuneExperiment());
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
