#include "tools/art/ValueNoise.h"

#include <cmath>

#include "tools/art/Random.h"

namespace zen::art {
namespace {

float Ease(float t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

}  // namespace

float ValueNoise::Lattice(int32_t x, int32_t y) const
{
    return static_cast<float>(HashPoint(x, y, m_seed) >> 8) * (1.0f / 16777215.0f);
}

float ValueNoise::Sample(float x, float y) const
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const auto ix = static_cast<int32_t>(fx);
    const auto iy = static_cast<int32_t>(fy);
    const float tx = Ease(x - fx);
    const float ty = Ease(y - fy);
    const float a = Lattice(ix, iy);
    const float b = Lattice(ix + 1, iy);
    const float c = Lattice(ix, iy + 1);
    const float d = Lattice(ix + 1, iy + 1);
    const float top = a + (b - a) * tx;
    const float bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float ValueNoise::Fractal(float x, float y, int octaves, float lacunarity, float gain) const
{
    float sum = 0;
    float weight = 1;
    float total = 0;
    for (int octave = 0; octave < octaves; ++octave) {
        // Each octave is offset so that the lattice points of the octaves do not line up.
        const float shift = static_cast<float>(octave) * 17.31f;
        sum += weight * ValueNoise(m_seed + static_cast<uint32_t>(octave) * 7919u).Sample(x + shift, y - shift);
        total += weight;
        weight *= gain;
        x *= lacunarity;
        y *= lacunarity;
    }
    return total > 0 ? sum / total : 0;
}

}  // namespace zen::art
