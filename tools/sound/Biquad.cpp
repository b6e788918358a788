#include "tools/sound/Biquad.h"

#include <algorithm>
#include <cmath>

namespace zen::sound {

void Biquad::Set(Kind kind, float frequency, float q, float sampleRate)
{
    const float f = std::clamp(frequency, 10.0f, 0.45f * sampleRate);
    const float w = 2.0f * 3.14159265359f * f / sampleRate;
    const float cosw = std::cos(w), alpha = std::sin(w) / (2.0f * std::max(q, 0.05f));
    float b0 = 0, b1 = 0, b2 = 0;
    switch (kind) {
    case Kind::kLowPass:
        b0 = b2 = (1 - cosw) / 2;
        b1 = 1 - cosw;
        break;
    case Kind::kHighPass:
        b0 = b2 = (1 + cosw) / 2;
        b1 = -(1 + cosw);
        break;
    case Kind::kBandPass:
        b0 = alpha;
        b1 = 0;
        b2 = -alpha;
        break;
    }
    const float a0 = 1 + alpha;
    m_b0 = b0 / a0;
    m_b1 = b1 / a0;
    m_b2 = b2 / a0;
    m_a1 = -2 * cosw / a0;
    m_a2 = (1 - alpha) / a0;
}

}  // namespace zen::sound
