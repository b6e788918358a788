#include "engine/core/FrameRateCounter.h"

namespace zen {

void FrameRateCounter::Frame()
{
    ++m_frames;
    m_seconds += m_timer.Delta();
    if (m_seconds > 1.0) {
        m_framesPerSecond = m_frames / m_seconds;
        m_frames = 0;
        m_seconds -= 1.0;
    }
}

}  // namespace zen
