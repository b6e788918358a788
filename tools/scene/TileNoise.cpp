#include "tools/scene/TileNoise.h"

#include <cmath>

namespace zen::scene {
namespace {

float Ease(float t)
{
    return t * t * t * (t * (t * 6 - 15) + 10);
}

int32_t Wrap(int32_t value, int period)
{
    const int32_t r = value % period;
    return r < 0 ? r + period : r;
}

}  // namespace

float TileNoise::Lattice(int32_t x, int32_t y, int period) const
{
    uint32_t h = static_cast<uint32_t>(Wrap(x, period)) * 0x8DA6B343u ^ static_cast<uint32_t>(Wrap(y, period)) * 0xD8163841u ^
                 (m_seed + static_cast<uint32_t>(period)) * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFFFFu) / static_cast<float>(0xFFFFFF);
}

float TileNoise::SampleAt(float u, float v, int period) const
{
    const float x = u * static_cast<float>(period);
    const float y = v * static_cast<float>(period);
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx);
    const int32_t iy = static_cast<int32_t>(fy);
    const float tx = Ease(x - fx);
    const float ty = Ease(y - fy);
    const float a = Lattice(ix, iy, period), b = Lattice(ix + 1, iy, period);
    const float c = Lattice(ix, iy + 1, period), d = Lattice(ix + 1, iy + 1, period);
    const float top = a + (b - a) * tx;
    const float bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float TileNoise::Fractal(float u, float v, int octaves, float gain) const
{
    float sum = 0, weight = 1, total = 0;
    int period = m_period;
    for (int i = 0; i < octaves; ++i) {
        sum += SampleAt(u, v, period) * weight;
        total += weight;
        weight *= gain;
        period *= 2;
    }
    return total > 0 ? sum / total : 0;
}

}  // namespace zen::scene
