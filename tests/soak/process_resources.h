// Threads and open descriptors of this process, as the kernel lists them.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>

namespace kravent::testing {

inline std::size_t CountEntries(const char* directory) {
    std::error_code error;
    std::size_t count = 0;
    for (auto it = std::filesystem::directory_iterator(directory, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++count;
    return count;
}

struct ProcessResources {
    std::size_t threads = 0;
    std::size_t descriptors = 0;
    friend bool operator==(const ProcessResources&, const ProcessResources&) = default;
};

inline ProcessResources CurrentResources() {
    // The directory iterator's own descriptor is open while /proc/self/fd is listed.
    return {CountEntries("/proc/self/task"), CountEntries("/proc/self/fd") - 1};
}

// Every open descriptor and what it refers to, one a line, for failure messages.
inline std::string DescribeDescriptors() {
    std::string text;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        text += it->path().filename().string() + " -> " + std::filesystem::read_symlink(it->path(), ignored).string() + "\n";
    }
    return text;
}

// The counts once they stay the same for a moment: threads that are ending (a
// simulated module's connection thread after its client closed) are gone by then.
inline ProcessResources StableResources() {
    ProcessResources last = CurrentResources();
    for (int i = 0; i < 100; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const ProcessResources now = CurrentResources();
        if (now == last) return now;
        last = now;
    }
    return last;
}

// A joined thread may stay listed for a moment while the kernel reaps it: waits up
// to `limit` for the counts to come back to `expected`, and returns the last counts.
inline ProcessResources ResourcesSettledTo(const ProcessResources& expected,
                                           std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    ProcessResources now = CurrentResources();
    while (!(now == expected) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        now = CurrentResources();
    }
    return now;
}

}  // namespace kravent::testing
