// kravent.hpp's register list against the library's own register table: the same
// registers in the same order, each with the same read, poll and write access.
#include <gtest/gtest.h>

#include <cstddef>
#include <string_view>

#include "kravent.hpp"
#include "protocol/register_map.h"

namespace {

struct Listed {
    std::string_view name;
    bool readable;
    bool pollable;
    kravent::WriteAccess write;
};

#define KRAVENT_TEST_LISTED(N, K, R, W) \
    Listed{kravent::N##_register::name, kravent::N##_register::readable, kravent::N##_register::pollable, \
           kravent::N##_register::write},
constexpr Listed kListed[] = {KRAVENT_REGISTERS(KRAVENT_TEST_LISTED)};
#undef KRAVENT_TEST_LISTED

constexpr bool SameAccess(const Listed& listed, const kravent::RegisterInfo& info) {
    const bool writes = listed.write != kravent::WriteAccess::none;
    const bool command = listed.write == kravent::WriteAccess::command;
    // WARNINGS is written by its reset, a value write in the table.
    return listed.name == info.name && listed.readable == info.readable && listed.pollable == info.repetitive &&
           writes == info.writable() && command == (info.write == kravent::Write::Command);
}

constexpr bool AllMatch() {
    if (std::size(kListed) != kravent::kRegisters.size()) return false;
    for (std::size_t i = 0; i < std::size(kListed); ++i)
        if (!SameAccess(kListed[i], kravent::kRegisters[i])) return false;
    return true;
}
static_assert(AllMatch(), "kravent.hpp's register list differs from the register table");

TEST(CppRegisterList, ValueTypesFollowTheEncodings) {
    for (std::size_t i = 0; i < std::size(kListed); ++i) EXPECT_TRUE(SameAccess(kListed[i], kravent::kRegisters[i])) << i;
    static_assert(std::is_same_v<kravent::KP_register::type, float>);
    static_assert(std::is_same_v<kravent::VOLTAGE_register::type, float>);
    static_assert(std::is_same_v<kravent::POSITION_register::type, std::int32_t>);
    static_assert(std::is_same_v<kravent::MODULENAME_register::type, std::string>);
    static_assert(std::is_same_v<kravent::ETHERNETMAC_register::type, kravent::Mac>);
}

}  // namespace
