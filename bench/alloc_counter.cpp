// The allocation functions of the C library are replaced by counting forwarders to
// glibc's own allocator. The library under test calls malloc and operator new
// through its dynamic symbol table, so these definitions serve it as well.
#include "bench/alloc_counter.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {
std::atomic<std::uint64_t> gAllocations{0};

void Count() { gAllocations.fetch_add(1, std::memory_order_relaxed); }
}  // namespace

extern "C" {

void* malloc(std::size_t size) {
    Count();
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
    Count();
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size) {
    Count();
    return __libc_realloc(pointer, size);
}

void* memalign(std::size_t alignment, std::size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    Count();
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *result = p;
    return 0;
}

}  // extern "C"

namespace kravent::bench {

std::uint64_t AllocationCount() { return gAllocations.load(std::memory_order_relaxed); }

bool AllocationCountingWorks() {
    const std::uint64_t before = AllocationCount();
    // strdup allocates inside the C library, through malloc's dynamic symbol, as a
    // shared library under test would.
    std::free(strdup("probe"));
    return AllocationCount() > before;
}

}  // namespace kravent::bench
