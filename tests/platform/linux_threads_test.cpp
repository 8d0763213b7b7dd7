// The Linux backend starts threads only while it has work: no notification thread
// without a client, and periodic timers take none at all.
#include "tcp_client_harness.h"
#include "test_listener.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <thread>

namespace kravent::testing {
namespace {

using N = SocketNotification;

int ThreadsOfThisProcess() {
    // A sanitizer starts a helper thread of its own at the first thread creation.
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    int count = 0;
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr) return -1;
    while (const dirent* entry = ::readdir(tasks)) {
        if (entry->d_name[0] != '.') ++count;
    }
    ::closedir(tasks);
    return count;
}

TEST(LinuxThreads, NotificationThreadLivesOnlyWhileClientsExist) {
    const int idle = ThreadsOfThisProcess();
    Listener listener;
    {
        ClientHarness first;
        EXPECT_EQ(ThreadsOfThisProcess(), idle + 1);
        ClientHarness second;
        EXPECT_EQ(ThreadsOfThisProcess(), idle + 1);  // one thread serves every client
        ASSERT_TRUE(first.client->Open("127.0.0.1", listener.Port()));
        Peer peer = listener.Accept(5000);
        ASSERT_TRUE(first.WaitFor(N::Connected));
    }
    EXPECT_EQ(ThreadsOfThisProcess(), idle);
}

TEST(LinuxThreads, ThreadThatLostItsLastClientInsideANotificationIsJoinedByTheNextStart) {
    const int idle = ThreadsOfThisProcess();
    Listener listener;
    {
        ClientHarness harness;
        harness.action = [](ClientHarness& h, N what) {
            if (what == N::Connected) h.client.reset();
        };
        ASSERT_TRUE(harness.client->Open("127.0.0.1", listener.Port()));
        Peer peer = listener.Accept(5000);
        ASSERT_TRUE(harness.WaitFor(N::Connected));
    }
    { ClientHarness next; }
    EXPECT_EQ(ThreadsOfThisProcess(), idle);
}

// Timers keep their deadlines in their events: none costs a thread.
TEST(LinuxThreads, TimersTakeNoThread) {
    const int idle = ThreadsOfThisProcess();
    platform::Event tick(false);
    const std::uint32_t first = platform::StartPeriodicTimer(50, tick);
    const std::uint32_t second = platform::StartPeriodicTimer(1, tick);
    EXPECT_EQ(tick.Wait(5000), platform::WaitResult::Signaled);
    EXPECT_EQ(ThreadsOfThisProcess(), idle);
    platform::KillPeriodicTimer(first);
    platform::KillPeriodicTimer(second);
}

}  // namespace
}  // namespace kravent::testing
