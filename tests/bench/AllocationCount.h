#pragma once
#include <cstdint>

namespace zen::bench {

// Heap allocations (operator new, every form) the benchmark program has made so far: one
// replaced operator new serves the whole program, for the benchmarks that must allocate
// nothing per frame.
uint64_t AllocationCount();

}  // namespace zen::bench
