#pragma once
#include <cstdint>

namespace zen::scene {

// Value noise that repeats: the lattice wraps every `period` cells, so a picture filled with it
// tiles without a seam when it spans exactly one period. Octaves double the frequency and the
// period together, keeping the repeat. Values lie in [0, 1]; the same seed gives the same field.
class TileNoise {
public:
    TileNoise(uint32_t seed, int period) : m_seed(seed), m_period(period < 1 ? 1 : period) {}

    // (u, v) in periods: 0 to 1 covers one tile.
    float Sample(float u, float v) const { return SampleAt(u, v, m_period); }
    float Fractal(float u, float v, int octaves, float gain = 0.5f) const;

private:
    float SampleAt(float u, float v, int period) const;
    float Lattice(int32_t x, int32_t y, int period) const;

    uint32_t m_seed;
    int m_period;
};

}  // namespace zen::scene
