#pragma once
#include <cstdint>

namespace zen::art {

// A small seeded generator (SplitMix64) for placing stars, rocks and sparkles. Pictures must
// come out byte for byte the same on every run, so nothing here reads the clock or the engine's
// process-wide generator, and the sequence for a seed never changes.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}

    uint64_t NextBits();
    // Uniform in [0, 1).
    float Next();
    // Uniform in [low, high).
    float Range(float low, float high) { return low + (high - low) * Next(); }

private:
    uint64_t m_state;
};

// A well-mixed 32-bit hash of a lattice point and a seed (for noise and per-pixel sparkle).
uint32_t HashPoint(int32_t x, int32_t y, uint32_t seed);

}  // namespace zen::art
