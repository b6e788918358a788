#pragma once
#include <cstdint>

namespace zen {

// The process-wide pseudo-random generator that particles, emitters and the camera director
// draw from. It is the classic 32-bit linear congruential generator (multiplier 214013,
// increment 2531011) returning bits 16-30 of the state, so draws are integers 0 to 32767 and a
// given seed gives the same sequence on every platform and compiler. The engine seeds it with
// the calendar time at start; tests and tools seed it themselves for reproducible results.
// Single-threaded like the rest of the engine.
class Random {
public:
    static constexpr int32_t kMax = 32767;

    static void Seed(uint32_t seed);
    // The next integer, 0 to kMax.
    static int32_t Next();
    // Next() / kMax: a value in [0, 1], both ends included.
    static float Unit();
    // base + Unit() * 2 * range - range: a uniform value in [base - range, base + range]
    // (one draw, also when range is 0, so the sequence does not depend on the values).
    static float Spread(float base, float range);

    // The generator's state, so that a caller can set it aside and restore it.
    static uint32_t State();
    static void SetState(uint32_t state);

private:
    static uint32_t s_state;
};

}  // namespace zen
