#pragma once
#include "engine/anim/Controller.h"

namespace zen {

// Switches a particle system's emission on and off in a fixed cycle
// ("ZEN.IntervalParticleSystemController"): with its clock running from attachment, emission
// is on while fmod(clock, period) <= onTime and off for the rest of each period. Going away,
// and detached, it leaves its system emitting. Does nothing when inactive or attached to something that is
// not a particle system. A period that is not a positive finite number keeps emission on.
// Stream form: the controller block, period, onTime (float32 seconds).
class IntervalParticleSystemController : public Controller {
    ZEN_DECLARE_CLASS

public:
    IntervalParticleSystemController() = default;
    ~IntervalParticleSystemController() override;

    void Update(double elapsed) override;
    // Leaving a particle system (detached, or the controller going) leaves it emitting.
    void SetOwner(Object* owner) override;

    float Period() const { return m_period; }
    float OnTime() const { return m_onTime; }
    void SetTiming(float period, float onTime)
    {
        m_period = period;
        m_onTime = onTime;
    }
    double Clock() const { return m_clock; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    double m_clock = 0.0;    // Seconds of active updates; not saved.
    float m_period = 1.0f;   // Seconds.
    float m_onTime = 0.5f;   // Seconds of emission at the start of each period.
};

}  // namespace zen
