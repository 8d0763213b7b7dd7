// Puts the test process into a mount namespace of its own with an empty /dev/shm: the
// machine-wide log lock becomes private to the process and its children, so a test can
// hold it, let it time out or abandon it without disturbing any other program.
#pragma once

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

namespace kravent::testing {

inline bool& SharedMemoryIsPrivate() {
    static bool isPrivate = false;
    return isPrivate;
}

class PrivateSharedMemory : public ::testing::Environment {
public:
    void SetUp() override {
        SharedMemoryIsPrivate() = unshare(CLONE_NEWNS) == 0 &&
                                  mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                                  mount("tmpfs", "/dev/shm", "tmpfs", 0, "mode=1777") == 0;
    }
};

inline ::testing::Environment* const kPrivateSharedMemory =
    ::testing::AddGlobalTestEnvironment(new PrivateSharedMemory);

// For tests that hold or abandon the log lock: they run only where it is private.
#define KRAVENT_REQUIRE_PRIVATE_LOG_LOCK()                                                  \
    if (!::kravent::testing::SharedMemoryIsPrivate())                                       \
    GTEST_SKIP() << "needs a private /dev/shm (root, mount namespaces): the log lock would " \
                    "be shared with every other process of the machine"

}  // namespace kravent::testing
