// Hosts that call from several threads what the library expects from one: one
// connection driven by many threads at once, the UDP operations at once, and opens
// and closes on several threads.
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "tests/misuse/misuse_host.h"
#include "tests/soak/process_resources.h"

namespace kravent::misuse {
namespace {

using testing::ResourcesSettledTo;

void RunThreads(int count, const std::function<void(int)>& body) {
    std::vector<std::thread> threads;
    for (int t = 0; t < count; ++t) threads.emplace_back(body, t);
    for (auto& t : threads) t.join();
}

TEST(ConcurrencyMisuse, OneConnectionFromSixThreadsAtOnce) {
    auto module = StartModule();
    Host host;
    ComID com = OpenConnected(host);
    ASSERT_NE(com, nullptr);
    std::atomic<int> done{0};
    RunThreads(6, [&](int t) {
        for (int i = 0; i < 400; ++i) {
            switch ((t + i) % 6) {
            case 0:  // register functions
                Vorn_KRAVENT_Read_VOLTAGE(false, com);
                Vorn_KRAVENT_Write_POSITION(i, com);
                Vorn_KRAVENT_Write_MODULENAME("THREADED-HOST   ", com);  // 16 characters, no zero needed
                Vorn_KRAVENT_Reset_WARNINGS(com);
                break;
            case 1: Vorn_KRAVENT_SendData_MAINPORT(com); break;  // triggers
            case 2:                                             // polling control
                Vorn_KRAVENT_Read_POSITION(true, com);
                Vorn_KRAVENT_RepetitiveAskStart(com);
                break;
            case 3:
                Vorn_KRAVENT_RepetitiveAskSetTime(1 + i % 5, com);
                Vorn_KRAVENT_RepetitiveAskStop(com);
                break;
            case 4:
                Vorn_KRAVENT_RepetitiveAskReset(com);
                Vorn_KRAVENT_Read_AllRegister(com);
                Vorn_KRAVENT_ResetAllRegisterRead(com);
                break;
            case 5: EXPECT_EQ(Vorn_KRAVENT_GetStateCommunication(com), VORN_KRAVENT_STATE_CONNECTED); break;
            }
            if (i % 50 == 0) std::this_thread::yield();
        }
        done.fetch_add(1);
    });
    EXPECT_EQ(done.load(), 6);
    // The connection still works once the crowd has gone.
    Vorn_KRAVENT_RepetitiveAskReset(com);
    Vorn_KRAVENT_ResetAllRegisterRead(com);
    EXPECT_TRUE(ReadNameAnswered(host, com, 15s)) << LastError();
    EXPECT_EQ(Vorn_KRAVENT_GetStateCommunication(com), VORN_KRAVENT_STATE_CONNECTED);
    Vorn_KRAVENT_CloseConnection(&com);
}

TEST(ConcurrencyMisuse, ScanAndAddressChangeFromTwoThreadsSerialise) {
    auto module = StartModule("0.0.0.0");
    std::atomic<int> goodScans{0};
    std::atomic<int> refusedChanges{0};
    RunThreads(3, [&](int t) {
        for (int i = 0; i < 3; ++i) {
            if (t < 2) {
                ModuleScanRecord records[4];
                std::memset(records, 0xEE, sizeof records);
                const int32_t found = Vorn_KRAVENT_ScanNetwork(records, 4);
                if (found == 1 && records[0].TypeHigh == 2 && records[0].TypeLow == 2 &&
                    std::memcmp(records[0].ModuleName, "KRAVENT-SIM", 11) == 0)
                    goodScans.fetch_add(1);
            } else {
                // No module has this MAC address; the new address answers no echo.
                const int32_t mac[6] = {2, 0, 0, 0, 0, 0x77};
                const int32_t ip[4] = {10, 55, 0, 9};
                const int32_t mask[4] = {255, 255, 255, 0};
                if (!Vorn_KRAVENT_ChangeIPAddress(mac, ip, mask)) refusedChanges.fetch_add(1);
            }
        }
    });
    EXPECT_EQ(goodScans.load(), 6) << "each scan finds the one module whole";
    EXPECT_EQ(refusedChanges.load(), 3);
}

TEST(ConcurrencyMisuse, CloseWhilePollingAtOneMillisecond) {
    auto module = StartModule();
    Host host;
    const auto before = WarmUp(host, *module);
    for (int round = 0; round < 20; ++round) {
        ComID com = OpenConnected(host);
        ASSERT_NE(com, nullptr) << LastError();
        Vorn_KRAVENT_Read_POSITION(true, com);
        Vorn_KRAVENT_RepetitiveAskSetTime(1, com);
        const long calls = host.DataCalls();
        Vorn_KRAVENT_RepetitiveAskStart(com);
        ASSERT_TRUE(host.WaitData(calls + 1 + round % 7));
        EXPECT_TRUE(Vorn_KRAVENT_CloseConnection(&com));
        EXPECT_EQ(com, nullptr);
    }
    const auto after = ResourcesSettledTo(before);
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.descriptors, before.descriptors);
}

TEST(ConcurrencyMisuse, OpenAndCloseFromFourThreadsOnDifferentConnections) {
    std::vector<std::unique_ptr<sim::ModuleSimulator>> modules;
    for (int i = 1; i <= 4; ++i) modules.push_back(StartModule("127.0.0." + std::to_string(i)));
    Host host;
    const auto before = WarmUp(host, *modules[0]);
    std::atomic<int> answered{0};
    RunThreads(4, [&](int t) {
        for (int round = 0; round < 10; ++round) {
            ComID com = OpenConnected(host, t + 1);
            if (com == nullptr) {
                ADD_FAILURE() << "open " << t << "/" << round << ": " << LastError();
                continue;
            }
            if (round % 2 == 0 && ReadNameAnswered(host, com)) answered.fetch_add(1);
            Vorn_KRAVENT_CloseConnection(&com);
        }
    });
    EXPECT_EQ(answered.load(), 20);
    const auto after = ResourcesSettledTo(before);
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.descriptors, before.descriptors);
}

}  // namespace
}  // namespace kravent::misuse
