// step: a position step as people judge a motor's tuning. One request reads where the
// motor stands (and its gains) and sets position mode with the target; a poll then
// records POSITION, SPEED and DESIRED; the chart and the step's figures follow.
#include <cstdio>
#include <fstream>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/register_calls.h"
#include "cli/register_catalogue.h"
#include "cli/step_chart.h"
#include "cli/value_format.h"

namespace kravent::cli {

namespace {

constexpr int kDefaultStepPeriodMs = 20;
constexpr double kDefaultStepDurationS = 5.0;
constexpr std::int32_t kPositionMode = 1;
// Shown under the title: what shaped the motion.
constexpr std::string_view kTuning[] = {"KP", "KI", "KD", "ACCELERATION", "DECELERATION", "TOPSPEED"};

std::size_t Index(std::string_view name) { return *FindRegister(name); }

bool WriteFile(const std::string& path, const std::string& text, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (out) return true;
    error = "cannot write " + path;
    return false;
}

}  // namespace

int StepAndPlot(Session& session, std::int32_t target, int periodMs, double durationS, const StepOutputs& outputs,
                const Reporter& report) {
    const std::size_t position = Index("POSITION");
    for (const std::string_view name : kTuning) RequestRead(Index(name), false, session.com());
    HostValue mode;
    mode.Set(kPositionMode);
    HostValue input;
    input.Set(target);
    if (!RequestRead(position, false, session.com()) || !RequestWrite(Index("REGULATIONMODE"), mode, session.com()) ||
        !RequestWrite(Index("INPUT"), input, session.com()))
        return report.Failure("cannot ask for the step");
    RegisterValues before;
    std::string error;
    const auto answersTheStep = [&](const RegisterValues& answer) {
        return ReceivedIn(answer, position) || WrittenIn(answer, Index("INPUT"));
    };
    if (!session.Exchange(before, error, answersTheStep)) return report.Failure(error);
    if (!ReceivedIn(before, position) || !WrittenIn(before, Index("INPUT")))
        return report.Failure("the module did not take the step's request");
    // The read is answered before the write takes effect: this is where the motor stood.
    const double start = FromRecord(before, position).Int();
    if (start == target) return report.Failure("the motor already stands at " + std::to_string(target) + " counts");

    PollRecording recording;
    recording.origin = std::chrono::steady_clock::now();
    recording.quiet = true;
    const std::vector<std::size_t> recorded = {position, Index("DESIRED"), Index("SPEED")};
    if (const int status = PollAndShow(session, recorded, periodMs, durationS, report, &recording)) return status;

    StepRecording step;
    step.address = session.address();
    step.start = start;
    step.target = target;
    step.periodMs = periodMs;
    for (const std::string_view name : kTuning)
        if (ReceivedIn(before, Index(name)))
            step.tuning += (step.tuning.empty() ? "" : ", ") + std::string(name) + " " +
                           FormatText(Index(name), FromRecord(before, Index(name)));
    step.seconds = recording.seconds;
    step.position = recording.values[0];
    step.desired = recording.values[1];
    step.speed = recording.values[2];
    const StepFigures figures = JudgeRecording(step);
    if (outputs.plotPath && !WriteSvg(StepChart(step, figures), *outputs.plotPath, error)) return report.Failure(error);
    if (outputs.csvPath && !WriteFile(*outputs.csvPath, StepCsv(step), error)) return report.Failure(error);

    if (report.json()) {
        JsonObject out;
        out.AddString("ip", session.address()).AddNumber("start", static_cast<long long>(start)).AddNumber("target", target);
        AddStepFigures(out, figures);
        out.AddNumber("samples", static_cast<long long>(step.seconds.size()));
        if (outputs.plotPath) out.AddString("plot", *outputs.plotPath);
        if (outputs.csvPath) out.AddString("csv", *outputs.csvPath);
        out.AddString("tuning", step.tuning).Add("recording", StepSamplesJson(step));
        std::printf("%s\n", out.Text().c_str());
    } else {
        std::printf("step from %.0f to %d counts: %s\n", start, target, StepFiguresText(figures).c_str());
        if (outputs.plotPath) std::printf("chart of POSITION, DESIRED and SPEED written to %s\n", outputs.plotPath->c_str());
        if (outputs.csvPath) std::printf("samples written to %s\n", outputs.csvPath->c_str());
    }
    std::fflush(stdout);
    return 0;
}

int CommandStep(const Arguments& args, const Reporter& report) {
    if (args.operands.size() != 1 || !args.targetCounts || (!args.plotPath && !args.csvPath))
        return report.Usage(
            "usage: kravent step IP --target COUNTS [--duration S] [--period MS] --plot FILE.svg [--csv FILE.csv]");
    Session session;
    if (const int status = OpenSession(session, args.operands[0], report)) return status;
    return StepAndPlot(session, *args.targetCounts, args.periodMs.value_or(kDefaultStepPeriodMs),
                       args.durationS.value_or(kDefaultStepDurationS), {args.plotPath, args.csvPath}, report);
}

}  // namespace kravent::cli
