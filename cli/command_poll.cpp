// poll: the registers join the library's repetitive set and its sender asks for them
// every period; each answer becomes a line (CSV or JSON) on a pipe, or redraws a
// small table in place on a terminal.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/register_calls.h"
#include "cli/register_catalogue.h"
#include "cli/stop_signals.h"
#include "cli/table.h"
#include "cli/value_format.h"
#include "hostos/hostos.h"

namespace kravent::cli {

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

class PollPrinter {
public:
    PollPrinter(const std::vector<std::size_t>& indices, bool json)
        : indices_(indices), json_(json), live_(!json && hostos::IsTerminal(stdout)) {}

    void Begin() {
        if (json_ || live_) return;
        std::string header = "time_ms";
        for (const std::size_t index : indices_) header += "," + std::string(Register(index).name);
        std::printf("%s\n", header.c_str());
        std::fflush(stdout);
    }

    void Show(const RegisterValues& values, long long timeMs, int count) {
        if (json_) {
            JsonObject line;
            line.AddNumber("time_ms", timeMs);
            for (const std::size_t index : indices_)
                line.Add(Register(index).name, ReceivedIn(values, index) ? FormatJson(index, FromRecord(values, index)) : "null");
            std::printf("%s\n", line.Text().c_str());
        } else if (live_) {
            std::vector<Row> rows;
            for (const std::size_t index : indices_) rows.push_back({std::string(Register(index).name), Text(values, index)});
            rows.push_back({"answers", std::to_string(count) + " (" + FormatReal(static_cast<float>(timeMs) / 1000.0f) + " s)"});
            const std::string table = RenderTable({"REGISTER", "VALUE"}, rows);
            if (drawnLines_ > 0) std::printf("\x1b[%dA", drawnLines_);  // back to the table's first line
            std::size_t start = 0;
            drawnLines_ = 0;
            for (std::size_t end; (end = table.find('\n', start)) != std::string::npos; start = end + 1, ++drawnLines_)
                std::printf("\x1b[2K%s\n", table.substr(start, end - start).c_str());
        } else {
            std::string line = std::to_string(timeMs);
            for (const std::size_t index : indices_) line += "," + CsvField(Text(values, index));
            std::printf("%s\n", line.c_str());
        }
        std::fflush(stdout);
    }

    // Marks where the link was lost and where it came back: a line of its own in CSV
    // ("# link lost at 1234 ms") and JSON ({"time_ms":1234,"link":"lost"}), a row of the table.
    void Link(std::string_view state, long long timeMs) {
        if (json_) {
            JsonObject line;
            line.AddNumber("time_ms", timeMs);
            line.AddString("link", std::string(state));
            std::printf("%s\n", line.Text().c_str());
        } else if (live_) {
            std::printf("\x1b[2Klink %s at %s s\n", std::string(state).c_str(),
                        FormatReal(static_cast<float>(timeMs) / 1000.0f).c_str());
            drawnLines_ = 0;  // the table is drawn anew below the mark
        } else {
            std::printf("# link %s at %lld ms\n", std::string(state).c_str(), timeMs);
        }
        std::fflush(stdout);
    }

private:
    static std::string Text(const RegisterValues& values, std::size_t index) {
        return ReceivedIn(values, index) ? FormatText(index, FromRecord(values, index)) : "";
    }

    const std::vector<std::size_t>& indices_;
    bool json_;
    bool live_;
    int drawnLines_ = 0;
};

void Record(PollRecording& recording, const std::vector<std::size_t>& indices, const Answer& answer) {
    std::vector<double> row;
    for (const std::size_t index : indices) {
        if (!ReceivedIn(answer.values, index)) return;
        row.push_back(NumericValue(index, FromRecord(answer.values, index)).value_or(0));
    }
    recording.values.resize(indices.size());
    for (std::size_t k = 0; k < row.size(); ++k) recording.values[k].push_back(row[k]);
    recording.seconds.push_back(std::chrono::duration<double>(answer.at - recording.origin).count());
}

bool StartPolling(Session& session, const std::vector<std::size_t>& indices, int periodMs, std::string& error) {
    for (const std::size_t index : indices) {
        if (!RequestRead(index, true, session.com())) {
            error = "cannot poll " + std::string(Register(index).name);
            return false;
        }
    }
    if (!Vorn_KRAVENT_RepetitiveAskSetTime(periodMs, session.com())) {
        error = "cannot set the poll period";
        return false;
    }
    if (!Vorn_KRAVENT_RepetitiveAskStart(session.com())) {
        error = "cannot start polling";
        return false;
    }
    return true;
}

constexpr std::chrono::milliseconds kFirstRetry{100};
constexpr std::chrono::milliseconds kLongestRetry{5000};

// Reopens the link and restarts the poll, retrying with back-off until `end`. The new
// connection starts with no request: nothing of the lost one is sent again.
enum class Reopened { kBack, kEnded, kInterrupted };
Reopened Reopen(Session& session, const std::vector<std::size_t>& indices, int periodMs, Clock::time_point end,
                const Reporter& report) {
    std::int32_t ip[4];
    if (!ParseAddress(session.address(), ip)) return Reopened::kEnded;
    auto delay = kFirstRetry;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0) return Reopened::kEnded;
        if (session.WaitInterrupted(std::min(delay, left))) return Reopened::kInterrupted;
        if (Clock::now() >= end) return Reopened::kEnded;
        std::string error;
        if (session.Open(ip, error) && StartPolling(session, indices, periodMs, error)) return Reopened::kBack;
        report.Note("poll: retrying " + session.address() + ": " + error);
        delay = std::min(2 * delay, kLongestRetry);
    }
}

}  // namespace

Chart PollChart(const std::vector<std::size_t>& indices, const PollRecording& recording) {
    Chart chart;
    for (std::size_t k = 0; k < indices.size() && k < recording.values.size(); ++k) {
        chart.series.push_back({std::string(Register(indices[k]).name), std::string(ChartUnitOf(indices[k])),
                                recording.seconds, recording.values[k]});
    }
    return chart;
}

int PollAndShow(Session& session, const std::vector<std::size_t>& indices, int periodMs, double durationS,
                const Reporter& report, PollRecording* recording, bool reconnect) {
    const StopHandler onStop([&session] { session.Interrupt(); });
    if (std::string error; !StartPolling(session, indices, periodMs, error)) return report.Failure(error);

    PollPrinter printer(indices, report.json());
    const bool show = recording == nullptr || !recording->quiet;
    if (show) printer.Begin();
    const auto start = Clock::now();
    if (recording && recording->origin == Clock::time_point{}) recording->origin = start;
    const auto end = start + std::chrono::milliseconds(static_cast<long long>(durationS * 1000.0));
    // An answer may take the sender's own 3 s wait; a longer silence is a failure.
    const auto answerLimit = std::max(std::chrono::milliseconds(4000), std::chrono::milliseconds(3LL * periodMs));
    int count = 0;
    int status = 0;
    bool interrupted = false;
    for (auto now = start; now < end && !interrupted; now = Clock::now()) {
        const auto wait = std::min(answerLimit, std::chrono::duration_cast<std::chrono::milliseconds>(end - now));
        Answer answer;
        std::string error;
        const Session::Wait result = session.NextAnswer(answer, wait, error);
        if (result == Session::Wait::kAnswer) {
            ++count;
            if (show) printer.Show(answer.values, MillisecondsBetween(start, answer.at), count);
            if (recording) Record(*recording, indices, answer);
        } else if (result == Session::Wait::kInterrupted) {
            interrupted = true;
        } else if ((result == Session::Wait::kBroken || wait == answerLimit) && reconnect) {
            const auto lost = Clock::now();
            if (show) printer.Link("lost", MillisecondsBetween(start, lost));
            report.Note("poll: " + error + "; reconnecting");
            const Reopened reopened = Reopen(session, indices, periodMs, end, report);
            if (recording) {
                const auto since = [&](Clock::time_point t) { return std::chrono::duration<double>(t - recording->origin).count(); };
                recording->gaps.emplace_back(since(lost), since(Clock::now()));
            }
            if (reopened == Reopened::kInterrupted) interrupted = true;
            if (reopened != Reopened::kBack) break;
            if (show) printer.Link("back", MillisecondsBetween(start, Clock::now()));
        } else if (result == Session::Wait::kBroken || wait == answerLimit) {
            status = report.Failure(error);
            break;
        }
    }
    Vorn_KRAVENT_RepetitiveAskStop(session.com());
    Vorn_KRAVENT_RepetitiveAskReset(session.com());
    if (interrupted) session.Close();
    if (show || interrupted)
        report.Summary("poll", (interrupted ? "interrupted after " : "ended after ") +
                               FormatSeconds(Clock::now() - start) + ", " + std::to_string(count) + " answers");
    if (interrupted) return kExitInterrupted;
    if (status == 0 && count == 0) status = report.Failure("no answer from " + session.address() + " while polling");
    return status;
}

int CommandPoll(const Arguments& args, const Reporter& report) {
    if (args.operands.size() < 2)
        return report.Usage(
            "usage: kravent poll IP REGISTER... [--period MS] [--duration S] [--plot FILE.svg] [--reconnect]");
    std::vector<std::size_t> indices;
    std::string error;
    if (!ResolveRegisters({args.operands.begin() + 1, args.operands.end()}, RegisterUse::kPoll, indices, error))
        return report.Usage(error);
    Session session;
    if (const int status = OpenSession(session, args.operands[0], report)) return status;
    PollRecording recording;
    const int status = PollAndShow(session, indices, args.periodMs.value_or(kDefaultPollPeriodMs),
                                   args.durationS.value_or(kDefaultPollDurationS), report,
                                   args.plotPath ? &recording : nullptr, args.reconnect);
    if (!args.plotPath || recording.seconds.empty()) return status;
    Chart chart = PollChart(indices, recording);
    chart.title = "Poll of " + session.address();
    chart.notes.push_back(std::to_string(recording.seconds.size()) + " answers, asked every " +
                          std::to_string(args.periodMs.value_or(kDefaultPollPeriodMs)) + " ms");
    if (!recording.gaps.empty()) {
        std::string gaps = "link lost " + std::to_string(recording.gaps.size()) + " times:";
        for (const auto& [from, to] : recording.gaps) {
            char span[64];
            std::snprintf(span, sizeof span, "%s %.2f-%.2f s", gaps.back() == ':' ? "" : ",", from, to);
            gaps += span;
        }
        chart.notes.push_back(gaps);
    }
    if (!WriteSvg(chart, *args.plotPath, error)) return report.Failure(error);
    report.Note("chart written to " + *args.plotPath);
    return status;
}

}  // namespace kravent::cli
