// autotune: gains found by experiment (autotune_run.h), shown beside the gains found,
// with the figures of one step under each; --apply writes them, --plot draws both steps.
#include <atomic>
#include <cstdio>

#include "cli/autotune_run.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/stop_signals.h"
#include "cli/step_chart.h"
#include "cli/table.h"

namespace kravent::cli {

namespace {

std::string Gain(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}


std::string GainsJson(const PidSettings& g) {
    return JsonObject()
        .Add("KP", Gain(g.kp))
        .Add("KI", Gain(g.ki))
        .Add("KD", Gain(g.kd))
        .AddNumber("ANTIRESETWINDUP", g.antiResetWindup)
        .Text();
}

std::string FiguresJson(const std::optional<StepCheck>& c) {
    if (!c) return "null";
    JsonObject figures;
    AddStepFigures(figures, c->figures);
    return figures.Text();
}

std::string MotorText(const MotorEstimate& m) {
    return "motor: " + Gain(m.gain) + " counts/s per command unit, time constant " + FixedText(m.timeConstant, 4) +
           " s, friction " + FixedText(m.friction, 1) + " command units (" + std::to_string(m.intervals) +
           " intervals, fit within " + FixedText(m.residual, 2) + " counts)";
}

std::string GainsText(const PidSettings& g) {
    return "KP " + Gain(g.kp) + ", KI " + Gain(g.ki) + ", KD " + Gain(g.kd) + ", ANTIRESETWINDUP " +
           std::to_string(g.antiResetWindup);
}

std::string FiguresText(const StepCheck& c) {
    return "rise " + SecondsText(c.figures.riseSeconds) + ", overshoot " + FixedText(c.figures.overshootPercent, 1) +
           " %, settling " + SecondsText(c.figures.settlingSeconds);
}

Chart StepsChart(const std::string& address, const AutotuneOutcome& out, bool speedMode) {
    Chart chart;
    const StepCheck& a = *out.found;
    const StepCheck& b = *out.proposed;
    const std::string unit = speedMode ? "counts/s" : "counts";
    const std::string what = speedMode ? "SPEED" : "POSITION";
    chart.title = "Gains found by experiment on " + address + ": a step from " + FixedText(a.start, 0) + " to " +
                  FixedText(a.target, 0) + " " + unit;
    chart.notes = {MotorText(out.proposal->motor),
                   "found: " + GainsText(out.proposal->found) + "; " + FiguresText(a),
                   "proposed: " + GainsText(out.proposal->proposed) + "; " + FiguresText(b)};
    chart.series = {{what + ", found", unit, a.seconds, a.values},
                    {what + ", proposed", unit, b.seconds, b.values},
                    {"COMMAND, found", "command", a.seconds, a.commands},
                    {"COMMAND, proposed", "command", b.seconds, b.commands}};
    return chart;
}

}  // namespace

int CommandAutotune(const Arguments& args, const Reporter& report) {
    if (args.operands.size() != 1)
        return report.Usage("usage: kravent autotune IP [--mode position|speed] [--excursion COUNTS] [--rule NAME] "
                            "[--apply] [--save] [--plot FILE.svg]");
    AutotuneRequest request;
    request.mode = args.tuningMode == "speed" ? TuningMode::kSpeed : TuningMode::kPosition;
    request.excursion = args.excursionCounts.value_or(kDefaultAutotuneExcursion);
    if (args.tuningRule) {
        const auto rule = FindTuningRule(*args.tuningRule);
        if (!rule) return report.Usage("--rule takes " + std::string(kTuningRuleNames) + ", not " + *args.tuningRule);
        request.rule = *rule;
    }
    if (args.save && !args.apply) return report.Usage("--save saves the gains that --apply writes: give both");
    request.apply = args.apply;
    request.save = args.save;

    Session session;
    if (const int status = OpenSession(session, args.operands[0], report)) return status;
    std::atomic<bool> stop{false};
    const StopHandler onStop([&stop] { stop.store(true); });
    const AutotuneObserver showPhase = [&report](const AutotuneProgress& p) {
        if (!p.sample && p.phase != AutotunePhase::kDone) report.Note("autotune: " + std::string(AutotunePhaseName(p.phase)));
    };
    const AutotuneOutcome out = RunAutotune(session, request, showPhase, stop);
    const std::string restored = out.restored ? "; the settings found are back" : "";
    if (out.interrupted) {
        report.Summary("autotune", "interrupted after " + FixedText(out.seconds, 1) + " s" + restored);
        return kExitInterrupted;
    }
    if (!out.error.empty() && out.applied) return report.Failure("the proposed gains are written but not saved: " + out.error);
    if (!out.error.empty()) return report.Failure("autotune stopped: " + out.error + restored);

    const AutotuneProposal& p = *out.proposal;
    const bool speedMode = request.mode == TuningMode::kSpeed;
    std::string error;
    if (args.plotPath && !WriteSvg(StepsChart(session.address(), out, speedMode), *args.plotPath, error))
        return report.Failure(error);
    const std::string modeName = speedMode ? "speed" : "position";
    if (report.json()) {
        const JsonObject motor = JsonObject()
                                     .Add("gain", Gain(p.motor.gain))
                                     .Add("time_constant_s", Gain(p.motor.timeConstant))
                                     .Add("friction", Gain(p.motor.friction))
                                     .AddNumber("intervals", p.motor.intervals)
                                     .Add("residual", Gain(p.motor.residual));
        JsonObject line;
        line.AddString("ip", session.address())
            .AddString("mode", modeName)
            .AddString("rule", TuningRuleName(request.rule))
            .Add("motor", motor.Text())
            .AddNumber("loop_time_ms", p.loopTimeMs)
            .Add("crossover", Gain(p.crossover))
            .Add("found", GainsJson(p.found))
            .Add("proposed", GainsJson(p.proposed))
            .Add("step", JsonObject().Add("start", FixedText(out.found->start, 0)).Add("target", FixedText(out.found->target, 0)).Text())
            .Add("before", FiguresJson(out.found))
            .Add("after", FiguresJson(out.proposed))
            .Add("experiment_s", FixedText(out.seconds, 2))
            .AddBool("applied", out.applied)
            .AddBool("saved", out.saved)
            .Add("plot", args.plotPath ? JsonString(*args.plotPath) : "null");
        std::printf("%s\n", line.Text().c_str());
    } else {
        std::printf("%s\n", MotorText(p.motor).c_str());
        std::printf("rule %s for %s mode at LOOPTIME %d ms (crossover %s rad/s)\n",
                    std::string(TuningRuleName(request.rule)).c_str(), modeName.c_str(), p.loopTimeMs,
                    Gain(p.crossover).c_str());
        const StepCheck& a = *out.found;
        const StepCheck& b = *out.proposed;
        const std::string unit = speedMode ? " counts/s" : " counts";
        std::vector<Row> rows = {
            {"KP", Gain(p.found.kp), Gain(p.proposed.kp)},
            {"KI", Gain(p.found.ki), Gain(p.proposed.ki)},
            {"KD", Gain(p.found.kd), Gain(p.proposed.kd)},
            {"ANTIRESETWINDUP", std::to_string(p.found.antiResetWindup), std::to_string(p.proposed.antiResetWindup)},
            {"step to " + FixedText(a.target, 0) + unit, "from " + FixedText(a.start, 0), "from " + FixedText(b.start, 0)},
            {"rise time", SecondsText(a.figures.riseSeconds), SecondsText(b.figures.riseSeconds)},
            {"overshoot", FixedText(a.figures.overshootPercent, 1) + " %", FixedText(b.figures.overshootPercent, 1) + " %"},
            {"settling time", SecondsText(a.figures.settlingSeconds), SecondsText(b.figures.settlingSeconds)},
            {"final error", FixedText(a.figures.finalError, 0) + unit, FixedText(b.figures.finalError, 0) + unit},
        };
        std::fputs(RenderTable({"", "FOUND", "PROPOSED"}, rows).c_str(), stdout);
        const std::string written = out.saved ? "proposed gains written and saved (SAVEUSERPARAMETERS)"
                                    : out.applied ? "proposed gains written (not saved; --save saves them)"
                                                  : "gains not written (--apply writes them)";
        std::printf("experiment %s s; %s\n", FixedText(out.seconds, 1).c_str(), written.c_str());
        if (args.plotPath) std::printf("chart of both steps written to %s\n", args.plotPath->c_str());
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace kravent::cli
