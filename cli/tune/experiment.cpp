#include "cli/tune/experiment.h"

#include <cmath>

#include "cli/register_catalogue.h"

namespace kravent::cli::tune {

namespace {

constexpr std::int32_t kPositionMode = 1;
// A sample this old or older no longer tells where the motor stands.
constexpr std::chrono::milliseconds kFreshSample{200};

std::size_t Index(std::string_view name) { return *FindRegister(name); }

}  // namespace

void ExperimentContext::ThrowIfStopped() const {
    if (Stopped()) throw ExperimentError("stopped");
}

void ExperimentContext::Report(nlohmann::json progress) {
    std::lock_guard lock(progressMutex_);
    progress_ = std::move(progress);
}

nlohmann::json ExperimentContext::Progress() const {
    std::lock_guard lock(progressMutex_);
    return progress_;
}

void ExperimentRunner::Add(const std::string& name, Experiment experiment) { experiments_[name] = std::move(experiment); }

nlohmann::json ExperimentRunner::Run(const std::string& name, const nlohmann::json& parameters, const std::string& owner) {
    const auto found = experiments_.find(name);
    if (found == experiments_.end()) throw ExperimentError("no experiment " + name);
    ExperimentContext context(link_, ring_);
    {
        std::lock_guard lock(mutex_);
        if (running_) throw ExperimentError("the experiment " + runningName_ + " is running");
        running_ = &context;
        runningName_ = name;
        owner_ = owner;
    }
    struct Release {
        ExperimentRunner& runner;
        ~Release() {
            std::lock_guard lock(runner.mutex_);
            runner.running_ = nullptr;
            runner.runningName_.clear();
            runner.owner_.clear();
        }
    } release{*this};
    try {
        return found->second(parameters, context);
    } catch (const ExperimentError&) {
        if (context.Stopped()) Hold();
        throw;
    } catch (const std::exception& e) {
        Hold();
        throw ExperimentError(e.what());
    }
}

bool ExperimentRunner::Stop(const std::string&, const std::string& owner) {
    std::lock_guard lock(mutex_);
    if (!running_ || (!owner.empty() && owner != owner_)) return false;
    running_->stopped_.store(true);
    return true;
}

nlohmann::json ExperimentRunner::Running() const {
    std::lock_guard lock(mutex_);
    if (!running_) return nullptr;
    return {{"name", runningName_}, {"owner", owner_}, {"progress", running_->Progress()}};
}

std::string ExperimentRunner::Hold() {
    const std::size_t position = Index("POSITION");
    std::optional<double> standing;
    if (const auto latest = ring_.Latest(); latest && Clock::now() - latest->at < kFreshSample)
        for (std::size_t k = 0; k < latest->columns->size(); ++k)
            if ((*latest->columns)[k] == position && std::isfinite(latest->values[k])) standing = latest->values[k];
    if (!standing) {
        LinkRequest read;
        read.reads = {position};
        const LinkAnswer answer = link_.Exchange(read);
        if (!answer.ok || !ReceivedIn(answer.values, position)) return "cannot read where the motor stands: " + answer.error;
        standing = FromRecord(answer.values, position).Int();
    }
    LinkRequest hold;
    HostValue mode;
    mode.Set(kPositionMode);
    HostValue input;
    input.Set(static_cast<std::int32_t>(*standing));
    hold.writes = {{Index("REGULATIONMODE"), mode}, {Index("INPUT"), input}};
    const LinkAnswer answer = link_.Exchange(hold);
    return answer.ok ? std::string() : "cannot hold the motor: " + answer.error;
}

}  // namespace kravent::cli::tune
