#pragma once
#include <cstdint>

#include "engine/core/Timer.h"

namespace zen {

// Frames per second for the on-screen counter: frames are counted until more than one second
// has gathered, then the rate is frames / seconds and the remainder over one second carries on.
class FrameRateCounter {
public:
    FrameRateCounter() = default;

    void Frame();  // Once per rendered frame.
    double FramesPerSecond() const { return m_framesPerSecond; }  // 0 until the first full second.

private:
    uint32_t m_frames = 0;          // Since the last result.
    Timer m_timer;
    double m_seconds = 0;           // Gathered since the last result.
    double m_framesPerSecond = 0;
};

}  // namespace zen
