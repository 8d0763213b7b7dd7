// The tuning page's HTTP server: the page and its assets, a JSON API over the module
// link, and a stream of Server-Sent Events with the poll's samples and the link's
// state. Loopback only unless another address is asked for, and then every request
// carries the token that the printed URL holds.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/tune/experiment.h"
#include "cli/tune/module_link.h"
#include "cli/tune/sample_ring.h"
#include "cli/tune/step_experiment.h"

namespace httplib {
class Server;
struct Response;
}

namespace kravent::cli::tune {

struct ServerOptions {
    std::string address = "127.0.0.1";
    int port = 0;        // 0: a free one
    std::string token;   // empty: none asked for (loopback)
};

// A request of the JSON API that went wrong: its HTTP status, message and, for refused
// values, why each one was refused.
struct ApiError : std::runtime_error {
    ApiError(int code, const std::string& what, nlohmann::json why = nullptr)
        : std::runtime_error(what), status(code), errors(std::move(why)) {}
    int status;
    nlohmann::json errors;
};

class TuneServer {
public:
    TuneServer(ModuleLink& link, SampleRing& ring, ServerOptions options);
    ~TuneServer();

    // An API route: `handler` takes the request's JSON body (or its query parameters as
    // an object for GET) and returns the answer's JSON; it throws ApiError to refuse.
    using Handler = std::function<nlohmann::json(const nlohmann::json& input)>;
    void Get(const std::string& path, Handler handler);
    void Post(const std::string& path, Handler handler);
    ExperimentRunner& experiments() { return experiments_; }

    // Binds the listening socket; false with `error` when it cannot.
    bool Bind(std::string& error);
    // The page's URL, with the token when one is needed.
    std::string Url() const;
    // Serves until Stop() (blocks).
    void Serve();
    void Stop();

private:
    void AddRoutes();  // tune_routes.cpp
    void AddStream();  // event_stream.cpp

    ModuleLink& link_;
    SampleRing& ring_;
    ServerOptions options_;
    std::string instance_;  // tells the pages one run of the tool from the next
    ExperimentRunner experiments_;
    StepRuns stepRuns_;
    std::unique_ptr<httplib::Server> http_;
    std::atomic<bool> stopping_{false};
};

// The link's state as the page takes it.
nlohmann::json StatusJson(const LinkStatus& status);
// Answers a refused API request with its status and {"error":..., "errors":...}.
void Refuse(httplib::Response& response, const ApiError& error);

// A token of 128 random bits as 32 hex digits.
std::string NewToken();
// Whether `address` is in 127.0.0.0/8.
bool IsLoopbackAddress(const std::string& address);

}  // namespace kravent::cli::tune
