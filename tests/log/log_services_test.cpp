// The platform services under the logger: the machine-wide named lock and the module
// path lookup.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/platform.h"
#include "tests/log/private_shared_memory.h"

namespace {

using kravent::platform::LockResult;
using kravent::platform::NamedMutex;

// A lock name of this test alone: the test process's id keeps parallel runs apart.
std::string UniqueName(const char* test) { return std::string("kravent_test_") + test + "_" + std::to_string(getpid()); }

TEST(NamedMutexTest, SecondHolderWaitsForTheFirstAndTimesOut) {
    const std::string name = UniqueName("timeout");
    NamedMutex first;
    NamedMutex second;
    ASSERT_TRUE(first.Create(name.c_str()));
    ASSERT_TRUE(second.Create(name.c_str()));
    ASSERT_EQ(first.Lock(500), LockResult::Acquired);

    LockResult other = LockResult::Failed;
    std::chrono::steady_clock::duration waited{};
    std::thread([&] {
        const auto start = std::chrono::steady_clock::now();
        other = second.Lock(200);
        waited = std::chrono::steady_clock::now() - start;
    }).join();
    EXPECT_EQ(other, LockResult::Timeout);
    EXPECT_GE(waited, std::chrono::milliseconds(180));
    EXPECT_LT(waited, std::chrono::seconds(20));

    first.Unlock();
    std::thread([&] {
        other = second.Lock(500);
        if (other == LockResult::Acquired) second.Unlock();
    }).join();
    EXPECT_EQ(other, LockResult::Acquired);
}

TEST(NamedMutexTest, HolderThatEndsWithTheLockLeavesItAbandonedOnce) {
    const std::string name = UniqueName("abandoned");
    NamedMutex lock;
    ASSERT_TRUE(lock.Create(name.c_str()));
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        NamedMutex own;
        _exit(own.Create(name.c_str()) && own.Lock(500) == LockResult::Acquired ? 0 : 1);  // ends holding it
    }
    int status = -1;
    ASSERT_EQ(waitpid(holder, &status, 0), holder);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    EXPECT_EQ(lock.Lock(500), LockResult::Abandoned);  // handed over owned
    lock.Unlock();
    EXPECT_EQ(lock.Lock(500), LockResult::Acquired);
    lock.Unlock();
}

TEST(NamedMutexTest, HandlesCreatedAtOnceShareOneLock) {
    const std::string name = UniqueName("created_at_once");
    constexpr int kThreads = 8;
    constexpr int kRounds = 200;
    std::atomic<int> created{0};
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            NamedMutex lock;
            if (!lock.Create(name.c_str())) return;
            created.fetch_add(1);
            for (int round = 0; round < kRounds; ++round) {
                if (lock.Lock(kravent::platform::kInfinite) != LockResult::Acquired) continue;
                if (inside.fetch_add(1) != 0) overlapped.store(true);
                inside.fetch_sub(1);
                lock.Unlock();
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(created.load(), kThreads);
    EXPECT_FALSE(overlapped.load());
}

std::string ExecutablePath() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

TEST(ModulePathTest, FallsBackToTheExecutableWhenTheLibraryIsNotLoaded) {
    const std::string expected = ExecutablePath();
    char buffer[500];
    ASSERT_EQ(kravent::platform::ModulePath(kravent::platform::kLibraryFileName, buffer, sizeof buffer),
              expected.size());
    EXPECT_STREQ(buffer, expected.c_str());
}

TEST(ModulePathTest, FindsALoadedLibraryByItsFileName) {
    char buffer[500];
    const std::size_t length = kravent::platform::ModulePath("libc.so.6", buffer, sizeof buffer);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, sizeof buffer);
    const std::string path(buffer, length);
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(path.ends_with("/libc.so.6")) << path;
}

TEST(ModulePathTest, PathThatDoesNotFitReturnsTheCapacity) {
    const std::string expected = ExecutablePath();
    std::vector<char> buffer(expected.size(), '#');
    EXPECT_EQ(kravent::platform::ModulePath("", buffer.data(), buffer.size()), buffer.size());
    EXPECT_EQ(buffer.back(), '\0');
    EXPECT_EQ(std::string(buffer.data()), expected.substr(0, expected.size() - 1));
    EXPECT_EQ(kravent::platform::ModulePath("", buffer.data(), 0), 0u);
}

}  // namespace
