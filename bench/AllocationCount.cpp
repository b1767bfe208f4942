// The replaced global operator new and delete of the benchmark program.
#include "AllocationCount.h"

#include <cstdlib>
#include <new>

namespace {

// Per thread: the frames are built on the benchmark's thread, and a plain
// increment keeps the count from adding to what it counts.
thread_local std::uint64_t t_allocations = 0;

void* Allocate(std::size_t size) {
    ++t_allocations;
    return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

std::uint64_t gpenc::bench::AllocationCount() { return t_allocations; }

void* operator new(std::size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
