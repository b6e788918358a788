#include "tools/sound/NoiseSource.h"

namespace zen::sound {

float NoiseSource::Pink()
{
    // Paul Kellet's economy of one-pole sections, each a different corner frequency.
    const float white = White();
    m_b[0] = 0.99886f * m_b[0] + white * 0.0555179f;
    m_b[1] = 0.99332f * m_b[1] + white * 0.0750759f;
    m_b[2] = 0.96900f * m_b[2] + white * 0.1538520f;
    m_b[3] = 0.86650f * m_b[3] + white * 0.3104856f;
    m_b[4] = 0.55000f * m_b[4] + white * 0.5329522f;
    m_b[5] = -0.7616f * m_b[5] - white * 0.0168980f;
    const float pink = m_b[0] + m_b[1] + m_b[2] + m_b[3] + m_b[4] + m_b[5] + m_b[6] + white * 0.5362f;
    m_b[6] = white * 0.115926f;
    return pink * 0.11f;
}

}  // namespace zen::sound
