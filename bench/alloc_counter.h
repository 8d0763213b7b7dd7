// Counts the heap allocations of the whole process (malloc and everything built on it,
// operator new included), so that a stretch of work can be checked for allocating.
#pragma once

#include <cstdint>

namespace kravent::bench {

// Allocations made by any thread of this process since it started.
std::uint64_t AllocationCount();

// True when the counter sees allocations at all (the C library's allocator is
// really replaced in this process).
bool AllocationCountingWorks();

}  // namespace kravent::bench
