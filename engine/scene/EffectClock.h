#pragma once
#include <cmath>

namespace zen {

// The seconds an animated effect has run (water, clouds, lava, grass): advanced by finite
// positive steps only, wrapped so that float offsets keep their precision; never stored.
class EffectClock {
public:
    double Seconds() const { return m_seconds; }
    void Advance(double elapsed)
    {
        if (std::isfinite(elapsed) && elapsed > 0)
            m_seconds = std::fmod(m_seconds + elapsed, 10000.0);
    }
    // How far a layer moving at `velocity` units a second has come, in 0-1.
    float Offset(float velocity) const
    {
        const double travelled = m_seconds * velocity;
        return static_cast<float>(travelled - std::floor(travelled));
    }

private:
    double m_seconds = 0;
};

}  // namespace zen
