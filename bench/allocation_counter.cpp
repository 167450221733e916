#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>

// glibc's own allocator, under the names it exports for allocators that wrap it.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void __libc_free(void* p);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<std::size_t> allocationCount{0};
std::atomic<std::size_t> allocatedBytes{0};

void note(std::size_t size)
{
    if (counting.load(std::memory_order_relaxed)) {
        allocationCount.fetch_add(1, std::memory_order_relaxed);
        allocatedBytes.fetch_add(size, std::memory_order_relaxed);
    }
}

}  // namespace

// Defined in the executable, these take the place of the C library's for every shared library
// too, Qt's included.
extern "C" {

void* malloc(std::size_t size)
{
    note(size);
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    note(count * size);
    return __libc_calloc(count, size);
}

void* realloc(void* p, std::size_t size)
{
    note(size);
    return __libc_realloc(p, size);
}

void free(void* p)
{
    __libc_free(p);
}

}  // extern "C"

namespace bench {

void startCountingAllocations()
{
    allocationCount = 0;
    allocatedBytes = 0;
    counting = true;
}

Allocations stopCountingAllocations()
{
    counting = false;
    return {allocationCount.load(), allocatedBytes.load()};
}

}  // namespace bench
