// step: a position step as people judge a motor's tuning. One request reads where the
// motor stands (and its gains) and sets position mode with the target; a poll then
// records POSITION, SPEED and DESIRED; the chart and the step's figures follow.
#include <cmath>
#include <cstdio>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/register_calls.h"
#include "cli/register_catalogue.h"
#include "cli/step_response.h"
#include "cli/value_format.h"

namespace kravent::cli {

namespace {

constexpr int kDefaultStepPeriodMs = 20;
constexpr double kDefaultStepDurationS = 5.0;
constexpr std::int32_t kPositionMode = 1;
// Shown under the title: what shaped the motion.
constexpr std::string_view kTuning[] = {"KP", "KI", "KD", "ACCELERATION", "DECELERATION", "TOPSPEED"};

std::size_t Index(std::string_view name) { return *FindRegister(name); }

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string SecondsText(const std::optional<double>& seconds) { return seconds ? Fixed(*seconds, 3) + " s" : "not reached"; }

std::string JsonSeconds(const std::optional<double>& seconds) { return seconds ? Fixed(*seconds, 4) : "null"; }

}  // namespace

int StepAndPlot(Session& session, std::int32_t target, int periodMs, double durationS, const std::string& plotPath,
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

    const StepFigures figures = JudgeStep(recording.seconds, recording.values[0], start, target);
    const std::string figuresText = "rise time " + SecondsText(figures.riseSeconds) + " (10 % to 90 %), overshoot " +
                                    Fixed(figures.overshootPercent, 1) + " %, settling time " +
                                    SecondsText(figures.settlingSeconds) + " (within 2 %), final error " +
                                    Fixed(figures.finalError, 0) + " counts";
    std::string tuning;
    for (const std::string_view name : kTuning)
        if (ReceivedIn(before, Index(name)))
            tuning += (tuning.empty() ? "" : ", ") + std::string(name) + " " + FormatText(Index(name), FromRecord(before, Index(name)));

    PollRecording plotted = recording;  // the chart starts at the step, where the motor stood
    plotted.seconds.insert(plotted.seconds.begin(), 0.0);
    plotted.values[0].insert(plotted.values[0].begin(), start);
    plotted.values[1].insert(plotted.values[1].begin(), start);
    plotted.values[2].insert(plotted.values[2].begin(), 0.0);
    Chart chart = PollChart(recorded, plotted);
    chart.series[1].unit = "counts";  // DESIRED is a position in position mode
    chart.title = "Step of " + session.address() + " from " + Fixed(start, 0) + " to " + std::to_string(target) + " counts";
    chart.notes = {figuresText, tuning + "; polled every " + std::to_string(periodMs) + " ms"};
    if (!WriteSvg(chart, plotPath, error)) return report.Failure(error);

    if (report.json()) {
        std::printf("%s\n", JsonObject()
                                .AddString("ip", session.address())
                                .AddNumber("start", static_cast<long long>(start))
                                .AddNumber("target", target)
                                .Add("rise_s", JsonSeconds(figures.riseSeconds))
                                .Add("overshoot_percent", Fixed(figures.overshootPercent, 2))
                                .Add("settling_s", JsonSeconds(figures.settlingSeconds))
                                .Add("final_error", Fixed(figures.finalError, 0))
                                .AddNumber("samples", static_cast<long long>(recording.seconds.size()))
                                .AddString("plot", plotPath)
                                .Text()
                                .c_str());
    } else {
        std::printf("step from %s to %d counts: %s\n", Fixed(start, 0).c_str(), target, figuresText.c_str());
        std::printf("chart of POSITION, DESIRED and SPEED written to %s\n", plotPath.c_str());
    }
    std::fflush(stdout);
    return 0;
}

int CommandStep(const Arguments& args, const Reporter& report) {
    if (args.operands.size() != 1 || !args.targetCounts || !args.plotPath)
        return report.Usage("usage: kravent step IP --target COUNTS [--duration S] [--period MS] --plot FILE.svg");
    Session session;
    if (const int status = OpenSession(session, args.operands[0], report)) return status;
    return StepAndPlot(session, *args.targetCounts, args.periodMs.value_or(kDefaultStepPeriodMs),
                       args.durationS.value_or(kDefaultStepDurationS), *args.plotPath, report);
}

}  // namespace kravent::cli
