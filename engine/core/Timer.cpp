#include "engine/core/Timer.h"

#include "platform/Platform.h"

namespace zen {

Timer::Timer()
{
    Reset();
}

double Timer::Now()
{
    return static_cast<double>(platform::TickCount());
}

void Timer::Reset()
{
    m_start = m_last = Now();
    m_pause = 0;
    m_paused = false;
}

void Timer::Pause()
{
    if (!m_paused) {
        m_pause = Now();
        m_paused = true;
    }
}

void Timer::Resume()
{
    if (!m_paused) {
        Reset();
        return;
    }
    const double pausedFor = Now() - m_pause;
    m_start += pausedFor;
    m_last += pausedFor;
    m_pause = 0;
    m_paused = false;
}

double Timer::Delta()
{
    const double now = Now();
    // The tick count wraps after 49.7 days; a step across the wrap is measured modulo 2^32.
    double span = now - m_last;
    if (span < 0)
        span += 4294967296.0;
    m_last = now;
    return span * 0.001;
}

double Timer::Elapsed() const
{
    double span = Now() - m_start;
    if (span < 0)
        span += 4294967296.0;
    return span * 0.001;
}

}  // namespace zen
