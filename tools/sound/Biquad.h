#pragma once

namespace zen::sound {

// A second-order filter section (the audio cookbook's low-pass, high-pass and band-pass forms),
// direct form I. Coefficients can be changed between samples for swept filters.
class Biquad {
public:
    enum class Kind { kLowPass, kHighPass, kBandPass };

    void Set(Kind kind, float frequency, float q, float sampleRate);
    float Process(float x)
    {
        const float y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    float m_b0 = 1, m_b1 = 0, m_b2 = 0, m_a1 = 0, m_a2 = 0;
    float m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

}  // namespace zen::sound
