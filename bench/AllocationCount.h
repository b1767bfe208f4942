// Heap allocations made by the benchmark program: the global operator new is
// replaced so that every allocation through it, the library's included, counts.
#pragma once

#include <cstdint>

namespace gpenc::bench {

// Allocations through operator new on the calling thread since it started.
std::uint64_t AllocationCount();

}  // namespace gpenc::bench
