#include "cli/autotune_run.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "cli/host_value.h"
#include "cli/probe_plan.h"
#include "cli/register_calls.h"
#include "cli/register_catalogue.h"
#include "cli/value_format.h"

namespace kravent::cli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollPeriodMs = 5;
constexpr std::chrono::milliseconds kWaitSlice{100};     // how often a wait looks at `stop`
constexpr std::chrono::milliseconds kSilenceLimit{4000};  // the library's own wait is 3 s
constexpr std::int32_t kModeOff = 0;
constexpr std::int32_t kModePosition = 1;
constexpr std::int32_t kModeSpeed = 2;
// The probing steps jump: the profile then hides nothing of the motor.
constexpr std::int32_t kJumpAcceleration = 100000000;
constexpr std::int32_t kJumpTopSpeed = 10000000;
constexpr double kStandingSpeed = 5.0;  // counts/s
constexpr double kLongestCheckSeconds = 1.5;
constexpr double kShortestCheckSeconds = 0.2;
constexpr double kSettledSeconds = 0.15;  // at rest within the band this long ends a check
constexpr double kSettlingBand = 0.02;
constexpr double kSpeedCheckSeconds = 0.5;
constexpr double kReturnedCounts = 2.0;  // this near where it stood, the motor is back
constexpr std::uint32_t kOverCurrentOrUnderVoltage = (1u << 2) | (1u << 3);

std::size_t Index(std::string_view name) { return *FindRegister(name); }

HostValue Int(std::int32_t v) {
    HostValue h;
    h.Set(v);
    return h;
}
HostValue Real(double v) {
    HostValue h;
    h.Set(static_cast<float>(v));
    return h;
}

std::uint32_t Word(const HostValue& bits) {
    std::uint32_t word = 0;
    for (int k = 0; k < 32; ++k)
        if (bits.Bit(k)) word |= 1u << k;
    return word;
}

// What the experiment changes, as it found it.
struct Found {
    std::int32_t mode = kModeOff;
    std::int32_t input = 0;
    std::int32_t position = 0;
    std::int32_t desired = 0;
    std::int32_t speed = 0;
    std::int32_t loopMs = 1;
    std::int32_t acceleration = 0;
    std::int32_t deceleration = 0;
    std::int32_t topSpeed = 0;
    std::uint32_t warnings = 0;
    PidSettings gains;
};

using Writes = std::vector<std::pair<std::size_t, HostValue>>;

Writes GainWrites(const PidSettings& g) {
    return {{Index("KP"), Real(g.kp)}, {Index("KI"), Real(g.ki)}, {Index("KD"), Real(g.kd)},
            {Index("ANTIRESETWINDUP"), Int(g.antiResetWindup)}};
}

Writes ProfileWrites(std::int32_t acceleration, std::int32_t deceleration, std::int32_t topSpeed) {
    return {{Index("ACCELERATION"), Int(acceleration)},
            {Index("DECELERATION"), Int(deceleration)},
            {Index("TOPSPEED"), Int(topSpeed)}};
}

Writes operator+(Writes a, const Writes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Experiment {
public:
    Experiment(Session& session, const AutotuneRequest& request, const AutotuneObserver& observer,
               const std::atomic<bool>& stop, AutotuneOutcome& out)
        : session_(session), request_(request), observer_(observer), stop_(stop), out_(out) {}

    void Run() {
        Phase(AutotunePhase::kReading);
        out_.restored = true;  // nothing changed yet
        if (!ReadFound()) {
            Phase(AutotunePhase::kDone);
            return;
        }
        begin_ = Clock::now();
        deadline_ = begin_ + kAutotuneTimeLimit;
        const bool ran = Probe() && Check(AutotunePhase::kCheckingFound, found_.gains, out_.found) &&
                         Check(AutotunePhase::kCheckingProposed, out_.proposal->proposed, out_.proposed) &&
                         ReturnToStart();
        StopPolling();
        Phase(AutotunePhase::kRestoring);
        if (ran && request_.apply) {
            out_.applied = out_.restored = PutBack(out_.proposal->proposed);
            if (out_.applied && request_.save) out_.saved = Save();
        } else {
            out_.restored = PutBack(found_.gains);
        }
        out_.seconds = Seconds();
        Phase(AutotunePhase::kDone);
    }

private:
    void Phase(AutotunePhase phase) {
        phase_ = phase;
        if (observer_) observer_({phase, nullptr, out_.proposal ? &*out_.proposal : nullptr});
    }

    double Seconds() const { return std::chrono::duration<double>(Clock::now() - begin_).count(); }

    bool Stopped() {
        if (!stop_.load()) return false;
        out_.interrupted = true;
        Fail("interrupted");
        return true;
    }

    bool Fail(std::string why) {
        if (out_.error.empty()) out_.error = std::move(why);
        return false;
    }

    bool ReadFound() {
        const char* names[] = {"REGULATIONMODE", "INPUT", "POSITION", "DESIRED", "SPEED", "LOOPTIME", "ACCELERATION",
                               "DECELERATION", "TOPSPEED", "WARNINGS", "KP", "KI", "KD", "ANTIRESETWINDUP"};
        for (const char* name : names)
            if (!RequestRead(Index(name), false, session_.com())) return Fail("cannot ask for " + std::string(name));
        RegisterValues v;
        std::string error;
        const std::size_t last = Index("ANTIRESETWINDUP");
        if (!session_.Exchange(v, error, [&](const RegisterValues& a) { return ReceivedIn(a, last); })) return Fail(error);
        for (const char* name : names)
            if (!ReceivedIn(v, Index(name))) return Fail("the module did not answer " + std::string(name));
        const auto get = [&](const char* name) { return FromRecord(v, Index(name)); };
        found_.mode = get("REGULATIONMODE").Int();
        found_.input = get("INPUT").Int();
        found_.position = get("POSITION").Int();
        found_.desired = get("DESIRED").Int();
        found_.speed = get("SPEED").Int();
        found_.loopMs = std::max(1, get("LOOPTIME").Int());
        found_.acceleration = get("ACCELERATION").Int();
        found_.deceleration = get("DECELERATION").Int();
        found_.topSpeed = get("TOPSPEED").Int();
        found_.warnings = Word(get("WARNINGS"));
        found_.gains = {get("KP").Real(), get("KI").Real(), get("KD").Real(), get("ANTIRESETWINDUP").Int()};
        if (std::abs(found_.speed) > kStandingSpeed)
            return Fail("the motor is moving (SPEED " + std::to_string(found_.speed) + "); it must stand still");
        if (found_.warnings & kOverCurrentOrUnderVoltage)
            return Fail("WARNINGS already shows " + FormatText(Index("WARNINGS"), get("WARNINGS")) +
                        "; clear them first (kravent run " + session_.address() + " reset-warnings)");
        start_ = found_.position;
        // In position mode the module adds INPUTOFFSET (which cannot be read) to INPUT:
        // a motor at rest shows it as DESIRED less INPUT.
        offset_ = found_.mode == kModePosition ? found_.desired - found_.input : 0;
        return true;
    }

    bool Write(const Writes& writes) {
        for (const auto& [index, value] : writes)
            if (!RequestWrite(index, value, session_.com()))
                return Fail("the library refused " + std::string(Register(index).name));
        RegisterValues v;
        std::string error;
        const std::size_t first = writes.front().first;
        if (!session_.Exchange(v, error, [&](const RegisterValues& a) { return WrittenIn(a, first); })) return Fail(error);
        for (const auto& [index, value] : writes)
            if (!WrittenIn(v, index)) return Fail(std::string(Register(index).name) + " was not written");
        return true;
    }

    bool StartPolling() {
        if (polling_) return true;
        for (const char* name : {"POSITION", "SPEED", "COMMAND", "DESIRED", "WARNINGS"})
            if (!RequestRead(Index(name), true, session_.com())) return Fail("cannot poll " + std::string(name));
        if (!Vorn_KRAVENT_RepetitiveAskSetTime(kPollPeriodMs, session_.com()) ||
            !Vorn_KRAVENT_RepetitiveAskStart(session_.com()))
            return Fail("cannot start polling");
        polling_ = true;
        return true;
    }

    void StopPolling() {
        if (!polling_) return;
        Vorn_KRAVENT_RepetitiveAskStop(session_.com());
        Vorn_KRAVENT_RepetitiveAskReset(session_.com());
        polling_ = false;
    }

    // The next poll answer, checked; false (with the reason) when the experiment must end.
    bool NextSample(AutotuneSample& sample) {
        auto silentSince = Clock::now();
        for (;;) {
            if (Stopped()) return false;
            if (Clock::now() > deadline_)
                return Fail("the experiment took longer than " + std::to_string(kAutotuneTimeLimit.count()) + " s");
            Answer answer;
            std::string error;
            const Session::Wait wait = session_.NextAnswer(answer, kWaitSlice, error);
            if (wait == Session::Wait::kBroken) return Fail(error);
            if (wait != Session::Wait::kAnswer) {
                if (Clock::now() - silentSince > kSilenceLimit) return Fail(error);
                continue;
            }
            const RegisterValues& v = answer.values;
            if (!ReceivedIn(v, Index("POSITION")) || !ReceivedIn(v, Index("WARNINGS"))) continue;
            sample.motor = {std::chrono::duration<double>(answer.at - begin_).count(),
                            static_cast<double>(FromRecord(v, Index("POSITION")).Int()),
                            static_cast<double>(FromRecord(v, Index("SPEED")).Int()),
                            static_cast<double>(FromRecord(v, Index("COMMAND")).Int())};
            sample.desired = FromRecord(v, Index("DESIRED")).Int();
            sample.phase = phase_;
            out_.samples.push_back(sample);
            if (observer_) observer_({phase_, &out_.samples.back(), out_.proposal ? &*out_.proposal : nullptr});
            const std::uint32_t warnings = Word(FromRecord(v, Index("WARNINGS")));
            if (const auto why = SafetyStop(sample.motor.position, warnings, start_, request_.excursion)) return Fail(*why);
            return true;
        }
    }

    bool Probe() {
        Phase(AutotunePhase::kProbing);
        ProbePlan plan(start_, request_.excursion);
        out_.restored = false;
        bool first = true;
        while (const auto step = plan.Next()) {
            if (Stopped()) return false;
            Writes writes = GainWrites({step->kp, 0, 0, found_.gains.antiResetWindup}) +
                            Writes{{Index("INPUT"), Int(step->target - offset_)}};
            if (first) writes = writes + ProfileWrites(kJumpAcceleration, kJumpAcceleration, kJumpTopSpeed) +
                                Writes{{Index("REGULATIONMODE"), Int(kModePosition)}};
            if (!Write(writes) || !StartPolling()) return false;
            first = false;
            probeKp_ = step->kp;
            const double runBegin = Seconds();
            std::vector<MotorSample> run;
            AutotuneSample sample;
            while (!ProbePlan::RunEnded(run, runBegin)) {
                if (!NextSample(sample)) return false;
                run.push_back(sample.motor);
            }
            plan.Record(std::move(run));
        }
        if (!plan.Enough())
            return Fail("the motor did not move " + std::to_string(plan.StepCounts()) + " counts under a command of " +
                        std::to_string(static_cast<int>(ProbePlan::kLargestCommand)));
        const auto motor = IdentifyMotor(plan.Runs());
        if (!motor) return Fail("the samples do not tell the motor (too little motion)");
        AutotuneProposal proposal;
        proposal.motor = *motor;
        proposal.loopTimeMs = found_.loopMs;
        proposal.found = found_.gains;
        const ProposedGains g = DesignGains(*motor, request_.mode, request_.rule, found_.loopMs / 1000.0);
        proposal.proposed = {g.kp, g.ki, g.kd, g.antiResetWindup};
        proposal.crossover = g.crossover;
        out_.proposal = proposal;
        checkProfile_ = GentleProfile(*motor, probeKp_ * plan.StepCounts(), std::min(found_.acceleration, found_.deceleration),
                                      found_.topSpeed);
        return true;
    }

    // One step with `gains` from where the motor stood (position mode), or a speed step
    // and its mirror (speed mode), through the gentle profile, recorded into `check`.
    bool Check(AutotunePhase phase, const PidSettings& gains, std::optional<StepCheck>& check) {
        Phase(phase);
        const bool speedMode = request_.mode == TuningMode::kSpeed;
        const std::int32_t step = std::max(1, request_.excursion / 2);
        // A speed that covers half the excursion in the step's time.
        const std::int32_t speed = std::max(1, static_cast<std::int32_t>(step / kSpeedCheckSeconds));
        if (!ReturnToStart()) return false;
        StepCheck c;
        c.start = speedMode ? 0 : out_.samples.back().motor.position;
        c.target = speedMode ? speed : start_ + step;
        Writes writes = GainWrites(gains) +
                        ProfileWrites(checkProfile_.acceleration, checkProfile_.acceleration, checkProfile_.topSpeed) +
                        Writes{{Index("INTEGRALDELTA"), Int(0)},
                               {Index("REGULATIONMODE"), Int(speedMode ? kModeSpeed : kModePosition)},
                               {Index("INPUT"), Int(speedMode ? speed : start_ + step - offset_)}};
        if (!Write(writes) || !Record(c, speedMode)) return false;
        c.figures = JudgeStep(c.seconds, c.values, c.start, c.target);
        check = c;
        if (!speedMode) return true;
        // The mirrored speed brings the motor about back.
        StepCheck mirror{static_cast<double>(speed), static_cast<double>(-speed), {}, {}, {}, {}};
        return Write({{Index("INPUT"), Int(-speed)}}) && Record(mirror, true);
    }

    // Back where the motor stood in position mode through the gentle profile, until it
    // rests there (or the longest check's time has passed): under the proposed position
    // gains (their integral overcomes the friction that holds a proportional controller
    // short), or the probing's controller when the proposal is for speed mode.
    bool ReturnToStart() {
        const MotorSample& last = out_.samples.back().motor;
        if (std::fabs(last.position - start_) <= kReturnedCounts && last.speed == 0) return true;
        const PidSettings gains = request_.mode == TuningMode::kPosition ? out_.proposal->proposed
                                                                         : PidSettings{probeKp_, 0, 0, found_.gains.antiResetWindup};
        const Writes writes = GainWrites(gains) +
                              ProfileWrites(checkProfile_.acceleration, checkProfile_.acceleration, checkProfile_.topSpeed) +
                              Writes{{Index("INTEGRALDELTA"), Int(0)},
                                     {Index("REGULATIONMODE"), Int(kModePosition)},
                                     {Index("INPUT"), Int(start_ - offset_)}};
        if (!Write(writes)) return false;
        const double begin = Seconds();
        double restingSince = -1;
        AutotuneSample sample;
        for (;;) {
            if (!NextSample(sample)) return false;
            const double t = sample.motor.seconds - begin;
            const bool back = std::fabs(sample.motor.position - start_) <= kReturnedCounts && sample.motor.speed == 0;
            if (!back) restingSince = -1;
            else if (restingSince < 0) restingSince = t;
            if (t >= kLongestCheckSeconds || (restingSince >= 0 && t - restingSince >= ProbePlan::kRestSeconds)) return true;
        }
    }

    bool Record(StepCheck& c, bool speedMode) {
        const double begin = Seconds();
        const double band = std::max(kReturnedCounts, kSettlingBand * std::fabs(c.target - c.start));
        double settledSince = -1;
        AutotuneSample sample;
        for (;;) {
            if (!NextSample(sample)) return false;
            const double t = sample.motor.seconds - begin;
            c.seconds.push_back(t);
            c.values.push_back(speedMode ? sample.motor.speed : sample.motor.position);
            c.commands.push_back(sample.motor.command);
            if (speedMode) {
                if (t >= kSpeedCheckSeconds) return true;
                continue;
            }
            const bool settled = std::fabs(sample.motor.position - c.target) <= band && sample.motor.speed == 0;
            if (!settled) settledSince = -1;
            else if (settledSince < 0) settledSince = t;
            if (t >= kLongestCheckSeconds) return true;
            if (t >= kShortestCheckSeconds && settledSince >= 0 && t - settledSince >= kSettledSeconds) return true;
        }
    }

    // Puts the found mode, target and profile back with `gains`, over a new connection
    // when that fails on the old one.
    bool PutBack(const PidSettings& gains) {
        const Writes writes = GainWrites(gains) +
                              ProfileWrites(found_.acceleration, found_.deceleration, found_.topSpeed) +
                              Writes{{Index("REGULATIONMODE"), Int(found_.mode)}, {Index("INPUT"), Int(found_.input)}};
        const std::string why = out_.error;
        out_.error.clear();
        bool done = Write(writes);
        if (!done) {  // most likely the connection is gone: once more over a new one
            std::int32_t ip[4];
            std::string error;
            const std::string address = session_.address();
            session_.Close();
            done = ParseAddress(address, ip) && session_.Open(ip, error) && (out_.error.clear(), Write(writes));
        }
        const std::string putBackError = out_.error;
        out_.error = why;
        if (!done) Fail("the settings found could not be put back: " + putBackError);
        return done;
    }

    bool Save() { return Write({{Index("SAVEUSERPARAMETERS"), HostValue{}}}); }

    Session& session_;
    const AutotuneRequest& request_;
    const AutotuneObserver& observer_;
    const std::atomic<bool>& stop_;
    AutotuneOutcome& out_;
    Found found_;
    AutotunePhase phase_ = AutotunePhase::kReading;
    Clock::time_point begin_ = Clock::now();
    Clock::time_point deadline_ = Clock::now() + kAutotuneTimeLimit;
    std::int32_t start_ = 0;
    std::int32_t offset_ = 0;
    double probeKp_ = 0;
    CheckProfile checkProfile_{1, 1};
    bool polling_ = false;
};

}  // namespace

std::string_view AutotunePhaseName(AutotunePhase phase) {
    switch (phase) {
    case AutotunePhase::kReading: return "reading";
    case AutotunePhase::kProbing: return "probing";
    case AutotunePhase::kCheckingFound: return "checking the gains found";
    case AutotunePhase::kCheckingProposed: return "checking the proposed gains";
    case AutotunePhase::kRestoring: return "restoring";
    case AutotunePhase::kDone: return "done";
    }
    return "";
}

AutotuneOutcome RunAutotune(Session& session, const AutotuneRequest& request, const AutotuneObserver& observer,
                            const std::atomic<bool>& stop) {
    AutotuneOutcome out;
    Experiment(session, request, observer, stop, out).Run();
    return out;
}

}  // namespace kravent::cli
