#pragma once
#include <cstdint>

namespace zen::sound {

// Seeded noise for synthesis: white (uniform in [-1, 1)) and pink (white through a bank of
// one-pole filters, about -3 dB per octave), the same sequence for a seed on every run.
class NoiseSource {
public:
    explicit NoiseSource(uint64_t seed) : m_state(seed ? seed : 1) {}

    float White()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<float>(m_state >> 40) / static_cast<float>(1u << 23) - 1.0f;
    }
    float Pink();

private:
    uint64_t m_state;
    float m_b[7] = {};
};

}  // namespace zen::sound
