// Tests that broadcast, ping or change interfaces run only inside the private network
// namespace that the test runner makes.
#pragma once

#include <cstdlib>
#include <cstring>

namespace kravent::testing {

inline bool InPrivateNetworkNamespace() {
    const char* flag = std::getenv("KRAVENT_IN_NETNS");
    return flag != nullptr && std::strcmp(flag, "1") == 0;
}

}  // namespace kravent::testing

#define KRAVENT_REQUIRE_PRIVATE_NETNS()                                                 \
    do {                                                                                \
        if (!::kravent::testing::InPrivateNetworkNamespace())                           \
            GTEST_SKIP() << "runs only inside a private network namespace";             \
    } while (false)
