// The UDP test that a module of the served type answers at an address.
#pragma once

#include <cstdint>

namespace kravent {

// The TYPE halves of the one module type this library serves.
inline constexpr std::int32_t kServedTypeHigh = 2;
inline constexpr std::int32_t kServedTypeLow = 2;

// True when a module of the served type answered the TYPE request at `ip` (4 ints,
// already validated) within 2000 ms; logs its own failures.
bool MakeInitialTYPETest(const std::int32_t* ip);

}  // namespace kravent
