#pragma once
#include <cstdint>

namespace zen::bench {

// Every operator new of the benchmark program so far (the replacements live in DrawBenchmark.cpp),
// for benchmarks that check that a warm frame allocates nothing.
uint64_t AllocationCount();

}  // namespace zen::bench
