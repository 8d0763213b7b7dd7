// The gains found by experiment, worked out on the simulator's motor and controller
// alone (no sockets): the excitation, the motor it tells, the gains for it, and the
// steps of position and of speed those gains give.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "cli/gain_design.h"
#include "cli/motor_identification.h"
#include "cli/probe_plan.h"
#include "cli/step_response.h"
#include "sim/motor_model.h"
#include "sim/register_store.h"

namespace kravent::cli {
namespace {

// A module without its network: registers, motor and controller on a clock of its own.
class BenchModule {
public:
    explicit BenchModule(const sim::MotorParameters& motor) {
        model_.Configure(motor);
        store_.SetInt("ACCELERATION", 100000000);
        store_.SetInt("DECELERATION", 100000000);
        store_.SetInt("TOPSPEED", 10000000);
        model_.AdvanceTo(store_, nowMs_);
    }
    sim::RegisterStore& Registers() { return store_; }

    void SetGains(double kp, double ki, double kd, std::int32_t antiWindup) {
        store_.SetFloat("KP", static_cast<float>(kp));
        store_.SetFloat("KI", static_cast<float>(ki));
        store_.SetFloat("KD", static_cast<float>(kd));
        store_.SetInt("ANTIRESETWINDUP", antiWindup);
    }
    void MoveTo(std::int32_t target, std::int32_t mode = sim::kModePosition) {
        store_.SetInt("REGULATIONMODE", mode);
        store_.SetInt("INPUT", target);
    }
    // One poll answer after a period that varies as a loaded host's does (4 to 7 ms,
    // and now and then an answer 40 ms late).
    MotorSample Sample() {
        static constexpr int kPeriods[] = {5, 4, 6, 5, 7, 5, 4, 5, 6, 4, 5, 40};
        nowMs_ += kPeriods[count_++ % std::size(kPeriods)];
        model_.AdvanceTo(store_, nowMs_);
        return {Seconds(), static_cast<double>(store_.GetInt("POSITION")),
                static_cast<double>(store_.GetInt("SPEED")), static_cast<double>(store_.GetInt("COMMAND"))};
    }
    double Seconds() const { return static_cast<double>(nowMs_) / 1000.0; }

private:
    sim::RegisterStore store_;
    sim::MotorModel model_;
    std::uint64_t nowMs_ = 1000;
    unsigned count_ = 0;
};

// The motor as the controller sees it, from its physics (COMMAND 32767 = 24 V).
MotorEstimate Truth(const sim::MotorParameters& p) {
    const double damping = p.torqueConstant * p.torqueConstant / p.resistanceOhm + p.viscousFriction;
    const double countsPerRadian = p.countsPerRevolution / (2 * std::numbers::pi);
    const double voltsPerUnit = 24.0 / 32767.0;
    return {p.torqueConstant / p.resistanceOhm / damping * countsPerRadian * voltsPerUnit, p.inertia / damping,
            p.coulombFriction / (p.torqueConstant / p.resistanceOhm) / voltsPerUnit, 0, 0};
}

struct Probed {
    std::optional<MotorEstimate> motor;
    double seconds;
    bool safe = true;
};

Probed Probe(BenchModule& module, std::int32_t excursion) {
    const double begin = module.Seconds();
    ProbePlan plan(0, excursion);
    Probed out{};
    while (const auto step = plan.Next()) {
        module.SetGains(step->kp, 0, 0, 0);
        module.MoveTo(step->target);
        std::vector<MotorSample> run;
        const double runBegin = module.Seconds();
        while (!ProbePlan::RunEnded(run, runBegin)) {
            run.push_back(module.Sample());
            if (SafetyStop(run.back().position, module.Registers().GetWord("WARNINGS"), 0, excursion)) out.safe = false;
        }
        plan.Record(std::move(run));
    }
    EXPECT_TRUE(plan.Enough());
    out.motor = IdentifyMotor(plan.Runs());
    out.seconds = module.Seconds() - begin;
    return out;
}

// A step of position (or of speed, in speed mode) under gains `g`.
StepFigures Step(BenchModule& module, const ProposedGains& g, std::int32_t from, std::int32_t to,
                 std::int32_t mode = sim::kModePosition) {
    module.SetGains(g.kp, g.ki, g.kd, g.antiResetWindup);
    module.Registers().SetWord("WARNINGS", 0);
    std::vector<double> seconds, values;
    const double begin = module.Seconds();
    module.MoveTo(to, mode);
    while (module.Seconds() - begin < 1.5) {
        const MotorSample s = module.Sample();
        seconds.push_back(s.seconds - begin);
        values.push_back(mode == sim::kModeSpeed ? s.speed : s.position);
    }
    return JudgeStep(seconds, values, from, to);
}

struct MotorCase {
    const char* name;
    sim::MotorParameters motor;
};

sim::MotorParameters Heavy() {
    sim::MotorParameters p;
    p.inertia = 8e-5;
    return p;
}
sim::MotorParameters Sticky() {
    sim::MotorParameters p;
    p.coulombFriction = 2e-3;
    p.viscousFriction = 1e-5;
    return p;
}

TEST(CliAutotuneMethod, TellsEachMotorAndItsGainsSettleItsSteps) {
    for (const MotorCase& c : {MotorCase{"default", {}}, MotorCase{"heavy", Heavy()}, MotorCase{"sticky", Sticky()}}) {
        SCOPED_TRACE(c.name);
        BenchModule module(c.motor);
        const Probed probed = Probe(module, 200);
        ASSERT_TRUE(probed.motor);
        EXPECT_TRUE(probed.safe);
        EXPECT_LT(probed.seconds, 8.0);
        const MotorEstimate truth = Truth(c.motor);
        EXPECT_NEAR(probed.motor->gain, truth.gain, 0.1 * truth.gain);
        EXPECT_NEAR(probed.motor->timeConstant, truth.timeConstant, 0.2 * truth.timeConstant);
        EXPECT_NEAR(probed.motor->friction, truth.friction, 0.3 * truth.friction + 10);
        std::printf("%s: K %.3f (%.3f) tau %.4f (%.4f) f %.1f (%.1f), %d intervals, %.2f s\n", c.name, probed.motor->gain,
                    truth.gain, probed.motor->timeConstant, truth.timeConstant, probed.motor->friction, truth.friction,
                    probed.motor->intervals, probed.seconds);

        for (const TuningRule rule : {TuningRule::kNoOvershoot, TuningRule::kFast}) {
            const ProposedGains g = DesignGains(*probed.motor, TuningMode::kPosition, rule, 0.001);
            const std::int32_t here = module.Registers().GetInt("POSITION");
            const StepFigures f = Step(module, g, here, here + 1000);
            std::printf("  %s: KP %.3f KI %.3f KD %.3f ARW %d: rise %.3f overshoot %.1f settle %.3f error %.0f\n",
                        std::string(TuningRuleName(rule)).c_str(), g.kp, g.ki, g.kd, g.antiResetWindup,
                        f.riseSeconds.value_or(-1), f.overshootPercent, f.settlingSeconds.value_or(-1), f.finalError);
            ASSERT_TRUE(f.settlingSeconds);
            EXPECT_LE(*f.settlingSeconds, 1.0);
            EXPECT_LE(f.overshootPercent, rule == TuningRule::kFast ? 10.0 : 2.0);
        }
        // Speed mode: from rest to 2000 counts/s.
        const ProposedGains speed = DesignGains(*probed.motor, TuningMode::kSpeed, TuningRule::kNoOvershoot, 0.001);
        const StepFigures f = Step(module, speed, 0, 2000, sim::kModeSpeed);
        std::printf("  speed: KP %.3f KI %.3f ARW %d: rise %.3f overshoot %.1f settle %.3f\n", speed.kp, speed.ki,
                    speed.antiResetWindup, f.riseSeconds.value_or(-1), f.overshootPercent, f.settlingSeconds.value_or(-1));
        ASSERT_TRUE(f.settlingSeconds);
        EXPECT_LE(*f.settlingSeconds, 0.5);
        EXPECT_LE(f.overshootPercent, 5.0);
    }
}

}  // namespace
}  // namespace kravent::cli
