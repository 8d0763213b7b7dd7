#include "netns_guard.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

namespace kravent::platform {
namespace {

TEST(IcmpEcho, LoopbackAnswers) {
    KRAVENT_REQUIRE_PRIVATE_NETNS();
    EXPECT_TRUE(IcmpEchoAnswered("127.0.0.1", 5000));
}

TEST(IcmpEcho, UnreachableOrInvalidAddressIsNotAnswered) {
    KRAVENT_REQUIRE_PRIVATE_NETNS();
    const std::uint64_t start = SteadyMilliseconds();
    EXPECT_FALSE(IcmpEchoAnswered("10.200.0.9", 300));  // the namespace has no route there
    EXPECT_LT(SteadyMilliseconds() - start, 3000u);
    EXPECT_FALSE(IcmpEchoAnswered("not an address", 300));
    EXPECT_FALSE(IcmpEchoAnswered(nullptr, 300));
}

}  // namespace
}  // namespace kravent::platform
