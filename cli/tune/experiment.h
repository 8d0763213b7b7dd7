// Experiments that move the motor, run one at a time on behalf of one page. Each is a
// function from its parameters to its result; the runner owns what all of them share:
// only one runs, a stop (the page's button, the page closed, Ctrl-C) ends it, and an
// experiment that did not finish leaves the motor commanded to hold where it stands.
// A new experiment is one function added with Add() (before the server serves: see
// TuneServer::experiments()), answered at POST /api/experiments/NAME, and one panel on
// the page that calls window.tune.runExperiment(NAME, parameters, messageId).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/tune/module_link.h"
#include "cli/tune/sample_ring.h"

namespace kravent::cli::tune {

// What an experiment throws to refuse its parameters or report a failure.
struct ExperimentError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class ExperimentContext {
public:
    ExperimentContext(ModuleLink& link, SampleRing& ring) : link_(link), ring_(ring) {}
    ModuleLink& link() { return link_; }
    SampleRing& ring() { return ring_; }
    bool Stopped() const { return stopped_.load(); }
    // Throws ExperimentError when the experiment was stopped.
    void ThrowIfStopped() const;
    // Set once a stop is asked for; for code that watches a flag of its own.
    const std::atomic<bool>& StopFlag() const { return stopped_; }
    // How far the experiment has got, for the page (in Running() as "progress").
    void Report(nlohmann::json progress);
    nlohmann::json Progress() const;

private:
    friend class ExperimentRunner;
    ModuleLink& link_;
    SampleRing& ring_;
    std::atomic<bool> stopped_{false};
    mutable std::mutex progressMutex_;
    nlohmann::json progress_;
};

using Experiment = std::function<nlohmann::json(const nlohmann::json& parameters, ExperimentContext& context)>;

class ExperimentRunner {
public:
    ExperimentRunner(ModuleLink& link, SampleRing& ring) : link_(link), ring_(ring) {}

    void Add(const std::string& name, Experiment experiment);
    bool Has(const std::string& name) const { return experiments_.count(name) != 0; }
    // Runs experiment `name` for the page `owner`; its result, or ExperimentError.
    nlohmann::json Run(const std::string& name, const nlohmann::json& parameters, const std::string& owner);
    // Stops the running experiment (of `owner` only, when given); true when one was stopped.
    bool Stop(const std::string& why, const std::string& owner = {});
    // What runs now: {"name":..., "owner":..., "progress":...} or null.
    nlohmann::json Running() const;
    // Commands the motor to hold its present position (position mode, INPUT = POSITION).
    std::string Hold();

private:
    ModuleLink& link_;
    SampleRing& ring_;
    std::map<std::string, Experiment> experiments_;
    mutable std::mutex mutex_;
    ExperimentContext* running_ = nullptr;
    std::string runningName_;
    std::string owner_;
};

}  // namespace kravent::cli::tune
