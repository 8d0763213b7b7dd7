// kravent.hpp against a simulated module on 127.0.0.1 (each case in a private network
// namespace of its own). Built twice, as C++17 and as C++20.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "kravent.hpp"
#include "tests/cpp_api/sim_control.h"

namespace {

using namespace std::chrono_literals;
using kravent::test::SimulatedModule;

// One suite name per language version, so that the two builds' cases are told apart.
#if __cplusplus > 201703L
#define CPP_MODULE CppModuleCxx20
#else
#define CPP_MODULE CppModuleCxx17
#endif

constexpr auto kWait = 20s;  // generous: a loaded machine

// What the callbacks hand over, with a wait for it.
struct Collected {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<kravent::Sample> samples;
    std::vector<kravent::LinkState> states;

    void Add(const kravent::Sample& s) {
        std::lock_guard<std::mutex> lock(mutex);
        samples.push_back(s);
        changed.notify_all();
    }
    void Add(kravent::LinkState s) {
        std::lock_guard<std::mutex> lock(mutex);
        states.push_back(s);
        changed.notify_all();
    }
    template <class Pred>
    bool Wait(Pred pred) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kWait, [&] { return pred(*this); });
    }
};

TEST(CPP_MODULE, ReadsWritesRunsCommandsAndPollsInTheRegistersTypes) {
    SimulatedModule sim(kravent::test::SimOptions{{"name", "AXIS-3"}, {"set", "OPTIONS=0x28"}});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    kravent::Module module{"127.0.0.1"};

    const float volts = module.read<kravent::VOLTAGE>();
    EXPECT_GT(volts, 18.0f);
    const auto [type, name, options] = module.read<kravent::TYPE, kravent::MODULENAME, kravent::OPTIONS>();
    EXPECT_EQ(type, (kravent::Halves{2, 2}));
    EXPECT_EQ(name, "AXIS-3");
    EXPECT_EQ(options, kravent::Bits(0x28));

    module.write<kravent::KP, kravent::INPUTMIN, kravent::HOMINGOPTIONS>(2.5f, -40, kravent::HomingOptions{1, true, 2, 3, 4, 5});
    EXPECT_EQ(module.read<kravent::KP>(), 2.5f);
    EXPECT_EQ(module.read<kravent::HOMINGOPTIONS>(), (kravent::HomingOptions{1, true, 2, 3, 4, 5}));
    module.command<kravent::SAVEUSERPARAMETERS>();
    module.reset_warnings();

    Collected got;
    module.poll({kravent::POSITION, kravent::SPEED}, 10ms, [&](const kravent::Sample& s) { got.Add(s); });
    ASSERT_TRUE(got.Wait([](Collected& c) { return c.samples.size() >= 5; }));
    module.stop_polling();
    std::lock_guard<std::mutex> lock(got.mutex);
    for (std::size_t i = 0; i < got.samples.size(); ++i) {
        EXPECT_EQ(got.samples[i].seq, i + 1);
        EXPECT_TRUE(got.samples[i].get<kravent::SPEED>().has_value());
        if (i > 0) {
            EXPECT_GE(got.samples[i].time, got.samples[i - 1].time);
        }
    }
}

TEST(CPP_MODULE, AFailedOpenTellsTheLastErrorAndTheLogsCauseWithOrWithoutExceptions) {
    // The log file is shared with every other test: an address of this build's own
    // keeps the records that the cause is made of apart from theirs.
    const std::string ip = __cplusplus > 201703L ? "127.0.0.20" : "127.0.0.17";
    SimulatedModule sim(kravent::test::SimOptions{{"bind", ip}, {"type", "2.3"}});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::string last = "Initial Test failed\t(Vorn_KRAVENT_OpenConnection_MAINPORT)";
    const std::string cause = "This module is not compatible with this DLL\t(MakeInitialTYPETest)";
    try {
        kravent::Module module{ip};
        FAIL() << "opened a module of another type";
    } catch (const kravent::ConnectionError& error) {
        EXPECT_EQ(error.last_error(), last);
        EXPECT_EQ(error.cause(), cause);
        EXPECT_NE(std::string(error.what()).find("This module is not compatible"), std::string::npos);
    }
    kravent::Status status;
    EXPECT_FALSE(kravent::Module::try_open(ip, status).has_value());
    EXPECT_EQ(status.code, kravent::Errc::connection);
    EXPECT_EQ(status.last_error, last);
    EXPECT_EQ(status.cause, cause);
}

TEST(CPP_MODULE, AReconnectResumesThePollAndSeqShowsTheGap) {
    SimulatedModule sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();
    Collected got;
    kravent::Options options;
    options.reconnect = true;
    options.reconnect_delay = 100ms;
    options.on_state = [&](kravent::LinkState s) { got.Add(s); };
    kravent::Module module{"127.0.0.1", options};
    module.poll({kravent::POSITION}, 10ms, [&](const kravent::Sample& s) { got.Add(s); });
    ASSERT_TRUE(got.Wait([](Collected& c) { return c.samples.size() >= 3; }));

    sim.Stop();
    ASSERT_TRUE(got.Wait([](Collected& c) { return c.states.size() >= 2; }));
    EXPECT_THROW(module.read<kravent::KP>(), kravent::ConnectionLost);
    ASSERT_TRUE(sim.Start()) << sim.Error();
    ASSERT_TRUE(module.wait_for_link(kWait));
    std::size_t before = 0;
    {
        std::lock_guard<std::mutex> lock(got.mutex);
        before = got.samples.size();
    }
    ASSERT_TRUE(got.Wait([&](Collected& c) { return c.samples.size() >= before + 3; }));
    EXPECT_EQ(module.read<kravent::KP>(), 1.5f);
    module.stop_polling();

    std::lock_guard<std::mutex> lock(got.mutex);
    EXPECT_EQ(got.states[0], kravent::LinkState::connected);
    EXPECT_EQ(got.states[1], kravent::LinkState::lost);
    EXPECT_EQ(got.states.back(), kravent::LinkState::back);
    auto widest = 0ns;
    for (std::size_t i = 1; i < got.samples.size(); ++i) {
        EXPECT_EQ(got.samples[i].seq, got.samples[i - 1].seq + 1);
        widest = std::max(widest, got.samples[i].time - got.samples[i - 1].time);
    }
    EXPECT_GE(widest, options.reconnect_delay);  // many periods without an answer, one seq
}

TEST(CPP_MODULE, ScanFindsTheModule) {
    SimulatedModule sim(kravent::test::SimOptions{{"name", "AXIS-9"}});
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::vector<kravent::ModuleInfo> found = kravent::scan();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "AXIS-9");
    EXPECT_EQ(found[0].ip, (kravent::Address{127, 0, 0, 1}));
}

}  // namespace
