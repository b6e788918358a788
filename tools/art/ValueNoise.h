#pragma once
#include <cstdint>

namespace zen::art {

// Smooth pseudo-random noise over the plane: random values on the integer lattice, blended with
// a quintic ease, so the result is continuous with continuous slope. Fractal sums of several
// octaves give clouds, rock texture and waves. Values lie in [0, 1]; the same seed always gives
// the same field.
class ValueNoise {
public:
    explicit ValueNoise(uint32_t seed) : m_seed(seed) {}

    // One octave at (x, y), lattice spacing 1.
    float Sample(float x, float y) const;
    // Sum of `octaves` octaves, each at `lacunarity` times the frequency and `gain` times the
    // weight of the one before, normalised back into [0, 1].
    float Fractal(float x, float y, int octaves, float lacunarity = 2.0f, float gain = 0.5f) const;

private:
    float Lattice(int32_t x, int32_t y) const;

    uint32_t m_seed;
};

}  // namespace zen::art
