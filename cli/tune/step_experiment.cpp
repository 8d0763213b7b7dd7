#include "cli/tune/step_experiment.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "cli/register_catalogue.h"
#include "cli/tune/gain_form.h"
#include "cli/tune/gain_set.h"
#include "cli/value_format.h"

namespace kravent::cli::tune {

namespace {

constexpr std::int32_t kPositionMode = 1;
constexpr double kLongestStepS = 60;
// Shown as the run's label: what shaped the motion most.
constexpr std::string_view kLabelled[] = {"KP", "KI", "KD", "ACCELERATION", "DECELERATION", "TOPSPEED"};

std::size_t Index(std::string_view name) { return *FindRegister(name); }

std::int32_t Target(const nlohmann::json& parameters) {
    const nlohmann::json& target = parameters.value("target", nlohmann::json());
    if (!target.is_number_integer() || target.get<long long>() < std::numeric_limits<std::int32_t>::min() ||
        target.get<long long>() > std::numeric_limits<std::int32_t>::max())
        throw ExperimentError("target expects a position in counts (a 32-bit integer)");
    return static_cast<std::int32_t>(target.get<long long>());
}

double Duration(const nlohmann::json& parameters) {
    const nlohmann::json& duration = parameters.value("duration_s", nlohmann::json(2.0));
    if (!duration.is_number() || !(duration.get<double>() > 0) || duration.get<double>() > kLongestStepS)
        throw ExperimentError("duration_s expects seconds above 0, at most 60");
    return duration.get<double>();
}

}  // namespace

std::shared_ptr<const StepRun> StepRuns::Add(StepRun run) {
    std::lock_guard lock(mutex_);
    run.id = next_++;
    auto kept = std::make_shared<const StepRun>(std::move(run));
    runs_.push_back(kept);
    if (runs_.size() > kKept) runs_.pop_front();
    return kept;
}

std::shared_ptr<const StepRun> StepRuns::Find(int id) const {
    std::lock_guard lock(mutex_);
    for (const auto& run : runs_)
        if (run->id == id) return run;
    return nullptr;
}

nlohmann::json StepRunJson(const StepRun& run) {
    JsonObject figures;
    AddStepFigures(figures, run.figures);
    return {{"id", run.id},
            {"label", run.label},
            {"time", run.time},
            {"address", run.recording.address},
            {"start", run.recording.start},
            {"target", run.recording.target},
            {"period_ms", run.recording.periodMs},
            {"tuning", run.recording.tuning},
            {"figures", nlohmann::json::parse(figures.Text())},
            {"figures_text", StepFiguresText(run.figures)},
            {"samples", nlohmann::json::parse(StepSamplesJson(run.recording))}};
}

Experiment StepExperiment(StepRuns& runs) {
    return [&runs](const nlohmann::json& parameters, ExperimentContext& context) {
        const std::int32_t target = Target(parameters);
        const double durationS = Duration(parameters);
        const std::vector<std::size_t> polled = context.link().Polled();
        std::vector<std::size_t> columns;  // where POSITION, DESIRED and SPEED stand in a sample
        for (const std::string_view name : kStepPolled) {
            const auto at = std::find(polled.begin(), polled.end(), Index(name));
            if (at == polled.end()) throw ExperimentError(std::string(name) + " is not polled");
            columns.push_back(static_cast<std::size_t>(at - polled.begin()));
        }

        // One exchange reads where the motor stands and the tuning, and sets the step.
        LinkRequest request;
        request.reads = FormRegisters();
        request.reads.push_back(Index("POSITION"));
        HostValue mode;
        mode.Set(kPositionMode);
        HostValue input;
        input.Set(target);
        request.writes = {{Index("REGULATIONMODE"), mode}, {Index("INPUT"), input}};
        const LinkAnswer answer = context.link().Exchange(request);
        if (!answer.ok) throw ExperimentError(answer.error);
        if (!ReceivedIn(answer.values, Index("POSITION")) || !WrittenIn(answer.values, Index("INPUT")))
            throw ExperimentError("the module did not take the step's request");

        StepRun run;
        run.time = UtcNow();
        StepRecording& step = run.recording;
        step.address = context.link().Status().address;
        // The read is answered before the write takes effect: this is where the motor stood.
        step.start = FromRecord(answer.values, Index("POSITION")).Int();
        step.target = target;
        step.periodMs = context.link().PeriodMs();
        for (const std::string_view name : kLabelled)
            if (ReceivedIn(answer.values, Index(name))) {
                const std::string part = std::string(name) + " " + FormatText(Index(name), FromRecord(answer.values, Index(name)));
                step.tuning += (step.tuning.empty() ? "" : ", ") + part;
            }
        run.label = step.tuning;
        if (step.start == target) throw ExperimentError("the motor already stands at " + std::to_string(target) + " counts");

        const auto end = answer.at + std::chrono::microseconds(static_cast<long long>(durationS * 1e6));
        std::uint64_t seen = answer.lastSequence;
        while (Clock::now() < end) {
            context.ThrowIfStopped();
            for (const PollSample& sample : context.ring().After(seen, std::chrono::milliseconds(50), 100000)) {
                seen = sample.sequence;
                if (sample.at > end || sample.columns->size() != polled.size()) continue;
                step.seconds.push_back(std::chrono::duration<double>(sample.at - answer.at).count());
                step.position.push_back(sample.values[columns[0]]);
                step.desired.push_back(sample.values[columns[1]]);
                step.speed.push_back(sample.values[columns[2]]);
            }
        }
        context.ThrowIfStopped();
        if (step.seconds.empty()) throw ExperimentError("no poll answer came during the step");
        run.figures = JudgeRecording(step);
        return StepRunJson(*runs.Add(std::move(run)));
    };
}

}  // namespace kravent::cli::tune
