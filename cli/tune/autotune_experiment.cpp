#include "cli/tune/autotune_experiment.h"

#include <algorithm>
#include <limits>
#include <memory>

#include "cli/json.h"
#include "cli/register_catalogue.h"
#include "cli/step_chart.h"
#include "cli/value_format.h"

namespace kravent::cli::tune {

namespace {

// The samples shown live, in the order the library asks for them.
constexpr std::string_view kShown[] = {"POSITION", "DESIRED", "SPEED", "COMMAND"};

std::size_t Index(std::string_view name) { return *FindRegister(name); }

// A gain as the module will hold it, in the form's own text.
std::string AsHeld(std::string_view name, double value) {
    HostValue held;
    if (name == "ANTIRESETWINDUP") held.Set(static_cast<std::int32_t>(value));
    else held.Set(static_cast<float>(value));
    return FormatText(Index(name), held);
}

nlohmann::json GainsJson(const PidSettings& g) {
    return {{"KP", AsHeld("KP", g.kp)},
            {"KI", AsHeld("KI", g.ki)},
            {"KD", AsHeld("KD", g.kd)},
            {"ANTIRESETWINDUP", AsHeld("ANTIRESETWINDUP", g.antiResetWindup)}};
}

nlohmann::json ProposalJson(const AutotuneProposal& p) {
    return {{"found", GainsJson(p.found)},
            {"proposed", GainsJson(p.proposed)},
            {"loop_time_ms", p.loopTimeMs},
            {"crossover", p.crossover},
            {"motor",
             {{"gain", p.motor.gain},
              {"time_constant_s", p.motor.timeConstant},
              {"friction", p.motor.friction},
              {"intervals", p.motor.intervals},
              {"residual", p.motor.residual}}}};
}

nlohmann::json CheckJson(const std::optional<StepCheck>& c) {
    if (!c) return nullptr;
    JsonObject figures;
    AddStepFigures(figures, c->figures);
    return {{"start", c->start},
            {"target", c->target},
            {"figures", nlohmann::json::parse(figures.Text())},
            {"figures_text", StepFiguresText(c->figures)},
            {"time_s", c->seconds},
            {"values", c->values}};
}

nlohmann::json OutcomeJson(const AutotuneOutcome& out, const AutotuneRequest& request) {
    nlohmann::json samples{{"time_s", nlohmann::json::array()},
                           {"POSITION", nlohmann::json::array()},
                           {"DESIRED", nlohmann::json::array()},
                           {"phase", nlohmann::json::array()}};
    for (const AutotuneSample& s : out.samples) {
        samples["time_s"].push_back(s.motor.seconds);
        samples["POSITION"].push_back(s.motor.position);
        samples["DESIRED"].push_back(s.desired);
        samples["phase"].push_back(AutotunePhaseName(s.phase));
    }
    return {{"mode", request.mode == TuningMode::kSpeed ? "speed" : "position"},
            {"rule", TuningRuleName(request.rule)},
            {"excursion", request.excursion},
            {"error", out.error},
            {"interrupted", out.interrupted},
            {"restored", out.restored},
            {"seconds", out.seconds},
            {"proposal", out.proposal ? ProposalJson(*out.proposal) : nlohmann::json()},
            {"found_step", CheckJson(out.found)},
            {"proposed_step", CheckJson(out.proposed)},
            {"samples", samples}};
}

}  // namespace

AutotuneRequest AutotuneRequestOf(const nlohmann::json& parameters) {
    AutotuneRequest request;
    const nlohmann::json mode = parameters.value("mode", nlohmann::json("position"));
    if (mode == "speed") request.mode = TuningMode::kSpeed;
    else if (mode != "position") throw ExperimentError("mode expects position or speed");
    const nlohmann::json excursion = parameters.value("excursion", nlohmann::json(kDefaultAutotuneExcursion));
    if (!excursion.is_number_integer() || excursion.get<long long>() < kLeastAutotuneExcursion ||
        excursion.get<long long>() > std::numeric_limits<std::int32_t>::max())
        throw ExperimentError("excursion expects a whole number of counts of 20 or more");
    request.excursion = static_cast<std::int32_t>(excursion.get<long long>());
    const nlohmann::json rule = parameters.value("rule", nlohmann::json(TuningRuleName(request.rule)));
    const auto found = rule.is_string() ? FindTuningRule(rule.get<std::string>()) : std::nullopt;
    if (!found) throw ExperimentError("rule expects one of " + std::string(kTuningRuleNames));
    request.rule = *found;
    return request;  // apply and save stay off: the page writes the proposal itself
}

Experiment AutotuneExperiment() {
    return [](const nlohmann::json& parameters, ExperimentContext& context) {
        const AutotuneRequest request = AutotuneRequestOf(parameters);
        std::vector<std::size_t> shown;
        for (const std::string_view name : kShown) shown.push_back(Index(name));
        std::sort(shown.begin(), shown.end());
        const auto columns = std::make_shared<const std::vector<std::size_t>>(shown);

        AutotuneOutcome out;
        const std::string lent = context.link().Lend([&](Session& session, const ModuleLink::SampleSink& show) {
            std::optional<AutotunePhase> phase;
            bool proposed = false;
            const AutotuneObserver observer = [&](const AutotuneProgress& p) {
                if (p.sample) {
                    PollSample sample;
                    sample.at = Clock::now();
                    sample.columns = columns;
                    for (const std::size_t index : *columns) {
                        const MotorSample& m = p.sample->motor;
                        const std::string_view name = Register(index).name;
                        sample.values.push_back(name == "POSITION" ? m.position
                                                : name == "SPEED"  ? m.speed
                                                : name == "COMMAND" ? m.command
                                                                    : p.sample->desired);
                    }
                    show(std::move(sample));
                }
                if (p.phase == phase && proposed == (p.proposal != nullptr)) return;
                phase = p.phase;
                proposed = p.proposal != nullptr;
                context.Report({{"phase", AutotunePhaseName(p.phase)},
                                {"proposal", p.proposal ? ProposalJson(*p.proposal) : nlohmann::json()}});
            };
            out = RunAutotune(session, request, observer, context.StopFlag());
        });
        if (!lent.empty()) throw ExperimentError(lent);
        // A stopped experiment has put back what it found itself: it answers, rather than
        // throwing, so that the runner does not hold the motor in another mode.
        return OutcomeJson(out, request);
    };
}

}  // namespace kravent::cli::tune
