// The simulator's frame handling, register store and motor model, without sockets.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "protocol/frame.h"
#include "protocol/frame_reassembly.h"
#include "protocol/register_map.h"
#include "sim/module_logic.h"
#include "sim/settings.h"
#include "tests/support/raw_clients.h"

namespace kravent::sim {
namespace {

using testsupport::Bytes;
using testsupport::MakeFrame;

class LogicTest : public ::testing::Test {
protected:
    LogicTest() { clock.SetManual(true); logic.AdvanceMotor(); }

    Bytes Tcp(const Bytes& frame) {
        std::vector<std::uint8_t> out(wire::kMaxFrameSize);
        const std::size_t n = logic.AnswerTcpFrame(frame.data(), frame.size(), out.data(), out.size());
        return Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
    }
    Bytes Udp(const Bytes& frame, AddressChange& change) {
        std::vector<std::uint8_t> out(wire::kMaxFrameSize);
        const std::size_t n = logic.AnswerUdpFrame(frame.data(), frame.size(), out.data(), out.size(), change);
        return Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(n));
    }
    Bytes Read(std::initializer_list<std::uint8_t> addresses) { return Tcp(MakeFrame(wire::kReadRequest, addresses)); }
    Bytes Write(const Bytes& payload) { return Tcp(MakeFrame(wire::kWriteRequest, payload)); }

    RegisterStore store;
    MotorModel motor;
    Faults faults;
    SimClock clock;
    ModuleLogic logic{store, motor, faults, clock};
};

const Bytes kEmptyAnswer = {0x00, 0x23, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDC};

TEST_F(LogicTest, WorkedFramesGetTheirAnswers) {
    // TYPE alone, as the library's type test and the worked request frame ask it.
    EXPECT_EQ(Tcp({0x00, 0x21, 0x00, 0x00, 0x00, 0x01, 0x00, 0xFF, 0xDD}),
              (Bytes{0x00, 0x23, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x02, 0x00, 0x02, 0xFB, 0xD7}));
    // The supply at rest is 24 V: the worked read answer, byte for byte.
    EXPECT_EQ(Read({0x07}), (Bytes{0x00, 0x23, 0x00, 0x00, 0x00, 0x05, 0x07, 0x00, 0x18, 0x00, 0x00, 0xE0, 0xD7}));
    // The worked write of REGULATIONMODE = 1 is applied and answered by an empty read answer.
    EXPECT_EQ(Tcp({0x00, 0x22, 0x00, 0x00, 0x00, 0x02, 0x20, 0x01, 0xDF, 0xDA}), kEmptyAnswer);
    EXPECT_EQ(store.GetInt("REGULATIONMODE"), 1);
    // An empty read request gets an empty read answer.
    EXPECT_EQ(Tcp({0x00, 0x21, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xDE}), kEmptyAnswer);
}

TEST_F(LogicTest, FirstPacketOfReadAllIsAnsweredInExactly180Bytes) {
    Bytes payload;
    for (std::size_t k = 0; kRegisters[kReadList[k]].name != "HOMINGOPTIONS"; ++k) payload.push_back(kRegisters[kReadList[k]].address);
    ASSERT_EQ(payload.size(), 34u);
    const Bytes answer = Tcp(MakeFrame(wire::kReadRequest, payload));
    ASSERT_EQ(answer.size(), 180u);
    EXPECT_TRUE(wire::ChecksumMatches(answer.data(), 172));
    // Items come in the order asked: the answer walks with the register sizes.
    std::size_t pos = 6;
    for (std::uint8_t address : payload) {
        ASSERT_EQ(answer[pos], address);
        pos += 1 + static_cast<std::size_t>(RegisterSize(address));
    }
    EXPECT_EQ(pos, 178u);
}

TEST_F(LogicTest, ScanRequestIsAnsweredIn42BytesInTheOrderAsked) {
    AddressChange change;
    const Bytes answer = Udp({0x00, 0x21, 0x00, 0x00, 0x00, 0x04, 0x00, 0x01, 0x15, 0x11, 0xEA, 0xC8}, change);
    ASSERT_EQ(answer.size(), 42u);
    EXPECT_EQ(answer[6], 0x00);
    EXPECT_EQ(answer[11], 0x01);
    EXPECT_EQ(answer[16], 0x15);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&answer[17]), 11), "KRAVENT-SIM");
    EXPECT_EQ(answer[33], 0x11);
    EXPECT_EQ(Bytes(answer.begin() + 34, answer.begin() + 40), (Bytes{0x02, 0x4B, 0x52, 0x00, 0x00, 0x01}));
    EXPECT_FALSE(change.requested);
}

TEST_F(LogicTest, ReadSkipsUnknownCommandAndWriteOnlyAddresses) {
    // 0x09 unknown, 0x02 a command, 0x22 write-only: only TYPE and LOOPTIME remain.
    const Bytes answer = Read({0x09, 0x00, 0x02, 0x22, 0x2D});
    ASSERT_EQ(answer.size(), 8u + 5u + 2u);
    EXPECT_EQ(answer[6], 0x00);
    EXPECT_EQ(answer[11], 0x2D);
    EXPECT_EQ(answer[12], 1);
}

TEST_F(LogicTest, HugeReadRequestIsCutAtTheLargestFrame) {
    Bytes payload(1000, 0x15);  // MODULENAME, 17 bytes per item
    const Bytes answer = Tcp(MakeFrame(wire::kReadRequest, payload));
    EXPECT_LE(answer.size(), wire::kMaxFrameSize);
    EXPECT_EQ((answer.size() - 8) % 17, 0u);
    EXPECT_TRUE(wire::ChecksumMatches(answer.data(), answer.size() - 8));
}

TEST_F(LogicTest, WritesStoreValuesAndPassOverReadOnlyOnes) {
    // KP = 1.5 (the worked packet), then SPEED (read-only, skipped), then TOPSPEED = 2000.
    EXPECT_EQ(Tcp({0x00, 0x22, 0x00, 0x00, 0x00, 0x05, 0x33, 0x00, 0x01, 0x80, 0x00, 0xCB, 0x58}), kEmptyAnswer);
    EXPECT_FLOAT_EQ(store.GetFloat("KP"), 1.5f);
    Write({0x28, 0x00, 0x00, 0x00, 0x07, 0x42, 0x00, 0x00, 0x07, 0xD0});
    EXPECT_EQ(store.GetInt("SPEED"), 0);
    EXPECT_EQ(store.GetInt("TOPSPEED"), 2000);
    // An unknown address ends the walk: what follows it is not applied.
    Write({0x09, 0x42, 0x00, 0x00, 0x00, 0x01});
    EXPECT_EQ(store.GetInt("TOPSPEED"), 2000);
    // A value cut short is not applied either.
    Write({0x42, 0x00, 0x01});
    EXPECT_EQ(store.GetInt("TOPSPEED"), 2000);
}

TEST_F(LogicTest, WarningsWrittenAsZeroAreCleared) {
    store.RaiseWarnings(0b1011);
    Write({0x08, 0x00, 0x00, 0x00, 0x02});  // keeps bit 1 only
    EXPECT_EQ(store.GetWord("WARNINGS"), 0b0010u);
    Write({0x08, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(store.GetWord("WARNINGS"), 0u);
}

TEST_F(LogicTest, UserAndFactorySnapshotsRestoreParameters) {
    store.SetFloat("KP", 3.0f);
    Write({0x03});  // SAVEUSERPARAMETERS
    store.SetFloat("KP", 4.0f);
    store.SetInt("POSITION", 77);
    Write({0x04});  // RESTOREUSERPARAMETERS
    EXPECT_FLOAT_EQ(store.GetFloat("KP"), 3.0f);
    EXPECT_EQ(store.GetInt("POSITION"), 77);  // motion state is no parameter
    Write({0x05});  // RESTOREFACTORYPARAMETERS
    EXPECT_FLOAT_EQ(store.GetFloat("KP"), 1.5f);
    store.SetInt("TOPSPEED", 1234);
    Write({0x06});  // SAVEFACTORYPARAMETERS
    store.SetInt("TOPSPEED", 1);
    Write({0x05});
    EXPECT_EQ(store.GetInt("TOPSPEED"), 1234);
}

TEST_F(LogicTest, ResetCpuStopsTheMotion) {
    Write({0x20, 0x02, 0x21, 0x00, 0x00, 0x01, 0xF4});  // speed mode, 500 counts/s
    clock.Advance(2000);
    logic.AdvanceMotor();
    EXPECT_GT(store.GetInt("SPEED"), 400);
    Write({0x02});
    EXPECT_EQ(store.GetInt("SPEED"), 0);
    EXPECT_EQ(store.GetInt("POSITION"), 0);
    EXPECT_EQ(store.GetInt("REGULATIONMODE"), 0);
}

TEST_F(LogicTest, AddressChangeOnlyForThisModulesMac) {
    AddressChange change;
    const Bytes other = MakeFrame(wire::kChangeIpAddress, {0x02, 0x4B, 0x52, 0, 0, 0x02, 10, 0, 0, 5, 255, 255, 0, 0}, 1);
    EXPECT_TRUE(Udp(other, change).empty());
    EXPECT_FALSE(change.requested);
    const Bytes mine = MakeFrame(wire::kChangeIpAddress, {0x02, 0x4B, 0x52, 0, 0, 0x01, 10, 0, 0, 5, 255, 255, 0, 0}, 1);
    EXPECT_EQ(Udp(mine, change), kEmptyAnswer);
    ASSERT_TRUE(change.requested);
    EXPECT_EQ(change.ip, (std::array<std::uint8_t, 4>{10, 0, 0, 5}));
    EXPECT_EQ(change.mask, (std::array<std::uint8_t, 4>{255, 255, 0, 0}));
    // The same frame on the main port is not a command there.
    EXPECT_TRUE(Tcp(mine).empty());
}

TEST_F(LogicTest, FaultsShapeTheAnswers) {
    faults.corruptNext.store(1);
    Bytes answer = Read({0x00});
    EXPECT_FALSE(wire::ChecksumMatches(answer.data(), 5));
    answer = Read({0x00});
    EXPECT_TRUE(wire::ChecksumMatches(answer.data(), 5));

    faults.unknownRegister.store(true);
    answer = Read({0x00});
    ASSERT_EQ(answer.size(), 18u);
    EXPECT_EQ(answer[11], kUnknownAddress);
    faults.unknownRegister.store(false);

    faults.SetAnswerType(2, 3);
    AddressChange change;
    answer = Udp(MakeFrame(wire::kReadRequest, {0x00}), change);
    EXPECT_EQ(Bytes(answer.begin() + 7, answer.begin() + 11), (Bytes{0, 2, 0, 3}));
    answer = Read({0x00});  // the main port still tells the real type
    EXPECT_EQ(Bytes(answer.begin() + 7, answer.begin() + 11), (Bytes{0, 2, 0, 2}));
}

// --- Request framing ---------------------------------------------------------

// What the main port rebuilds from a stream, and how many frames failed.
struct Collected {
    FrameReassembler framer{Realignment::Keep};
    std::vector<Bytes> frames;
    FrameFailures failed;
    void Feed(const std::uint8_t* bytes, std::size_t count) {
        const auto keep = [&](const std::uint8_t* frame, std::size_t n) { frames.emplace_back(frame, frame + n); };
        const FrameFailures f = TakeFrames(framer, bytes, count, keep);
        failed.checksumErrors += f.checksumErrors;
        failed.tooLong += f.tooLong;
    }
    void Feed(const Bytes& bytes) { Feed(bytes.data(), bytes.size()); }
};

TEST(RequestFramingTest, RebuildsFramesSplitAndMergedAcrossReads) {
    const Bytes a = MakeFrame(wire::kReadRequest, {0x00});
    const Bytes b = MakeFrame(wire::kWriteRequest, {0x20, 0x01});
    const Bytes stream = testsupport::Concat(testsupport::Concat(a, b), a);
    Collected got;
    for (std::uint8_t byte : stream) got.Feed(&byte, 1);  // one byte at a time
    got.Feed(stream);                                     // all at once
    ASSERT_EQ(got.frames.size(), 6u);
    EXPECT_EQ(got.frames[0], a);
    EXPECT_EQ(got.frames[1], b);
    EXPECT_EQ(got.frames[5], a);
    EXPECT_EQ(got.failed.checksumErrors, 0u);
}

// A frame with a bad checksum and one longer than the buffer are dropped and counted;
// the frame behind each is still found.
TEST(RequestFramingTest, DropsAndCountsBadFramesAndKeepsAlignment) {
    Bytes bad = MakeFrame(wire::kReadRequest, {0x00});
    bad.back() ^= 1;
    Bytes huge = {0x00, 0x21, 0x00, 0x00, 0xFF, 0xFF};
    huge.resize(6 + 0xFFFF + 2, 0x00);
    const Bytes good = MakeFrame(wire::kReadRequest, {0x07});
    Collected got;
    got.Feed(testsupport::Concat(testsupport::Concat(bad, good), testsupport::Concat(huge, good)));
    EXPECT_EQ(got.frames, (std::vector<Bytes>{good, good}));
    EXPECT_EQ(got.failed.checksumErrors, 1u);
    EXPECT_EQ(got.failed.tooLong, 1u);
}

// --- Settings ---------------------------------------------

TEST(SettingsTest, OptionsAndConfigFileFillTheSettings) {
    ModuleSettings s;
    EXPECT_EQ(ApplyModuleOption(s, "tcp-port", "9000"), "");
    EXPECT_EQ(ApplyModuleOption(s, "set", "KP=2.5"), "");
    EXPECT_EQ(ApplyModuleOption(s, "silent", ""), "");
    EXPECT_EQ(s.tcpPort, 9000);
    EXPECT_TRUE(s.faults.silent);
    EXPECT_NE(ApplyModuleOption(s, "tcp-port", "70000"), "");
    EXPECT_NE(ApplyModuleOption(s, "set", "NOSUCH=1"), "");
    EXPECT_NE(ApplyModuleOption(s, "frobnicate", "1"), "");

    const std::string path = ::testing::TempDir() + "kravent_sim_config.txt";
    EXPECT_EQ(ApplyModuleOption(s, "motion", "ideal"), "");
    EXPECT_TRUE(s.motor.idealMotion);
    EXPECT_NE(ApplyModuleOption(s, "motor-resistance", "0"), "");
    std::ofstream(path) << "# a module\n  name = MOTOR-7 \nTOPSPEED=1500\nudp-port=7100\nunknown-register\n"
                        << "motor-inertia = 3e-5\nencoder-counts=4096\n";
    EXPECT_EQ(LoadConfigFile(s, path), "");
    EXPECT_EQ(s.udpPort, 7100);
    EXPECT_EQ(s.motor.inertia, 3e-5);
    EXPECT_EQ(s.motor.countsPerRevolution, 4096);
    EXPECT_TRUE(s.faults.unknownRegister);
    RegisterStore store;
    for (const auto& [index, value] : s.registers) store.SetRaw(kRegisters[index].name, value);
    EXPECT_FLOAT_EQ(store.GetFloat("KP"), 2.5f);
    EXPECT_EQ(store.GetInt("TOPSPEED"), 1500);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(store.GetRaw("MODULENAME").data())), "MOTOR-7");

    std::ofstream(path) << "TOPSPEED=fast\n";
    EXPECT_NE(LoadConfigFile(s, path).find(":1:"), std::string::npos);
}

// --- Motor model --------------------------------------------------------------

class MotorTest : public LogicTest {
protected:
    void Run(std::uint64_t ms, std::int32_t* maxSpeed = nullptr) {
        for (std::uint64_t t = 0; t < ms; t += 10) {
            clock.Advance(10);
            logic.AdvanceMotor();
            if (maxSpeed) *maxSpeed = std::max(*maxSpeed, std::abs(store.GetInt("SPEED")));
        }
    }

    struct StepResponse {
        int riseMs = 0;          // from 10 % to 90 % of the step
        double overshoot = 0;    // beyond the target, as a part of the step
        std::int32_t finalError = 0;
        std::int32_t largestIntegral = 0;
    };
    // From rest, a position step of `counts` whose profile is as good as a jump,
    // watched every millisecond for `ms`.
    StepResponse Step(std::int32_t counts, int ms = 3000) {
        Write({0x02});  // RESETCPU
        store.SetInt("ACCELERATION", 100000000);
        store.SetInt("DECELERATION", 100000000);
        store.SetInt("TOPSPEED", 10000000);
        store.SetInt("REGULATIONMODE", kModePosition);
        store.SetInt("INPUT", counts);
        StepResponse r;
        int at10 = -1;
        int at90 = -1;
        std::int32_t peak = 0;
        for (int t = 1; t <= ms; ++t) {
            clock.Advance(1);
            logic.AdvanceMotor();
            const std::int32_t position = store.GetInt("POSITION");
            if (at10 < 0 && position >= counts / 10) at10 = t;
            if (at90 < 0 && position >= counts - counts / 10) at90 = t;
            peak = std::max(peak, position);
            r.largestIntegral = std::max(r.largestIntegral, std::abs(store.GetInt("INTEGRALDELTA")));
        }
        r.riseMs = at90 < 0 ? ms : at90 - at10;
        r.overshoot = static_cast<double>(peak - counts) / counts;
        r.finalError = counts - store.GetInt("POSITION");
        return r;
    }
};

TEST_F(MotorTest, TheStepResponseAnswersToTheGains) {
    store.SetFloat("KI", 0);
    std::vector<StepResponse> byKp;
    for (float kp : {1.5f, 5.0f, 15.0f}) {
        store.SetFloat("KP", kp);
        byKp.push_back(Step(1000));
    }
    EXPECT_LT(byKp[0].overshoot, 0.01) << "the default motor and gains do not overshoot";
    for (std::size_t k = 1; k < byKp.size(); ++k) {
        EXPECT_LT(byKp[k].riseMs, byKp[k - 1].riseMs) << "kp #" << k;
        EXPECT_GT(byKp[k].overshoot, byKp[k - 1].overshoot + 0.05) << "kp #" << k;
    }

    // Against Coulomb friction only the integral reaches the target.
    motor.Configure({.coulombFriction = 2e-3});
    store.SetFloat("KP", 5.0f);
    EXPECT_GT(std::abs(Step(1000).finalError), 10);
    store.SetFloat("KI", 20.0f);
    EXPECT_LE(std::abs(Step(1000).finalError), 1);
    // DEADZONE leaves an error within it alone.
    store.SetInt("DEADZONE", 30);
    const std::int32_t left = std::abs(Step(1000).finalError);
    EXPECT_GT(left, 1);
    EXPECT_LE(left, 30);
}

TEST_F(MotorTest, CurrentAndSupplyHoldTheMotorBack) {
    store.SetFloat("KI", 5.0f);
    store.SetInt("ANTIRESETWINDUP", 300);
    store.SetFloat("CURRENTMAX", 20.0f);
    const StepResponse free = Step(20000);
    EXPECT_EQ(store.GetWord("WARNINGS") & kWarningOverCurrent, 0u);
    store.SetFloat("CURRENTMAX", 0.3f);
    const StepResponse held = Step(20000);
    EXPECT_NE(store.GetWord("WARNINGS") & kWarningOverCurrent, 0u);
    EXPECT_GT(held.riseMs, free.riseMs * 3 / 2);
    EXPECT_EQ(held.largestIntegral, 300) << "INTEGRALDELTA stays within ANTIRESETWINDUP";

    // Full speed ahead: half the supply is too little for it.
    store.SetInt("ANTIRESETWINDUP", 100000);
    store.SetFloat("CURRENTMAX", 2.0f);
    std::int32_t speedAt[2] = {};
    for (int k = 0; k < 2; ++k) {
        motor.SetSupplyVoltage(k == 0 ? 24.0f : 12.0f);
        Write({0x02});
        store.SetInt("TOPSPEED", 1000000);
        store.SetInt("ACCELERATION", 100000000);
        store.SetInt("REGULATIONMODE", kModeSpeed);
        store.SetInt("INPUT", 150000);
        Run(2000);
        speedAt[k] = store.GetInt("SPEED");
        EXPECT_EQ((store.GetWord("WARNINGS") & kWarningUnderVoltage) != 0, k == 1);
    }
    EXPECT_NEAR(speedAt[0], 150000, 1500);
    EXPECT_LT(speedAt[1], 135000);
}

// The ideal motion follows the profile exactly, whatever the gains.
TEST_F(MotorTest, IdealMotionReachesTheSetpointWithinItsLimits) {
    motor.Configure({.idealMotion = true});
    store.SetInt("TOPSPEED", 1000);
    store.SetInt("ACCELERATION", 500);
    store.SetInt("DECELERATION", 500);
    store.SetInt("REGULATIONMODE", kModePosition);
    store.SetInt("INPUT", 5000);
    std::int32_t maxSpeed = 0;
    Run(1000, &maxSpeed);
    // After one second at 500 counts/s^2 it has covered about 250 counts.
    EXPECT_NEAR(store.GetInt("POSITION"), 250, 5);
    EXPECT_NEAR(store.GetInt("SPEED"), 500, 5);
    EXPECT_EQ(store.GetInt("DESIRED"), 5000);
    // 2 s ramp up, 3 s at top speed, 2 s ramp down: 7 s in all.
    Run(7000, &maxSpeed);
    EXPECT_EQ(store.GetInt("POSITION"), 5000);
    EXPECT_EQ(store.GetInt("SPEED"), 0);
    EXPECT_EQ(store.GetInt("FEEDBACK"), 5000);
    EXPECT_LE(maxSpeed, 1000);
    EXPECT_GE(maxSpeed, 995);
    EXPECT_EQ(store.GetWord("WARNINGS"), 0u);
    EXPECT_FLOAT_EQ(store.GetFloat("VOLTAGE"), 24.0f);
}

TEST_F(MotorTest, IdealMotionHeldBackByCurrentMaxWarns) {
    motor.Configure({.idealMotion = true});
    store.SetFloat("CURRENTMAX", 0.25f);  // 250 counts/s^2 at most
    store.SetInt("REGULATIONMODE", kModeSpeed);
    store.SetInt("INPUT", 1000);
    Run(1000);
    EXPECT_NEAR(store.GetInt("SPEED"), 250, 3);
    EXPECT_NE(store.GetWord("WARNINGS") & kWarningOverCurrent, 0u);
}

TEST_F(MotorTest, LimitSwitchStopsTheMotorAndWarns) {
    store.SetInt("LIMIT2SETUP", 1);
    store.SetInt("LIMIT2POSITION", 300);
    store.SetInt("REGULATIONMODE", kModeSpeed);
    store.SetInt("INPUT", 1000);
    Run(3000);
    EXPECT_EQ(store.GetInt("POSITION"), 300);
    EXPECT_EQ(store.GetInt("SPEED"), 0);
    EXPECT_NE(store.GetWord("WARNINGS") & kWarningLimit2, 0u);
    EXPECT_EQ(store.GetWord("WARNINGS") & kWarningLimit1, 0u);
}

TEST_F(MotorTest, HomingMovesToTheHomingPosition) {
    store.SetInt("HOMINGPOSITION", -400);
    Write({0x49});  // HOMING
    Run(5000);
    EXPECT_NEAR(store.GetInt("POSITION"), -400, 10);
    EXPECT_FALSE(motor.Homing());
    // STOPHOMING ends a homing run on the way.
    store.SetInt("HOMINGPOSITION", 10000);
    Write({0x49});
    Run(500);
    Write({0x4A});
    Run(3000);
    EXPECT_EQ(store.GetInt("SPEED"), 0);
    EXPECT_LT(store.GetInt("POSITION"), 0);
}

TEST_F(MotorTest, APositionWrittenByTheHostIsTakenOver) {
    Write({0x26, 0x00, 0x00, 0x03, 0xE8});  // POSITION = 1000
    Run(100);
    EXPECT_EQ(store.GetInt("POSITION"), 1000);
}

}  // namespace
}  // namespace kravent::sim
