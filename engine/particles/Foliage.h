#pragma once
#include "engine/particles/SpriteParticleSystem.h"

namespace zen {

// Sprites that stay where they were born and sway about that point ("ZEN.Foliage"): grass
// tufts, leaves. It reuses the particle record: acceleration holds the anchor (the birth
// place), velocity the sway vector (direction x speed), age a fixed phase in [0, 1]. Each
// update places every particle at anchor + sway x (A x sinDeg(phi + phase)), with A and phi
// from its ZEN.SpriteEffect (amplitude, and frequency x clock; both 0 with another effect or
// none), keeps the start colour and size, and never ages or kills one. Births follow the
// particle system's interval, burst and pool rules. Drawn as the sprite system. Stream form:
// the sprite system's.
class Foliage : public SpriteParticleSystem {
    ZEN_DECLARE_CLASS

public:
    Foliage() = default;

    // Controllers, world transform, the effect (which gives the sway), the sway, emission,
    // then the drawing data.
    void Update(double time) override;

    // sin(k degrees) for k = whole degrees of `radians` (the integer part of radians x 57.29578)
    // wrapped into 0..359, from a table of 360 entries; 0 for a value that is not finite.
    static float SinDegrees(float radians);

protected:
    void SetUpParticle(Particle& particle, const Vector3& position, const Vector3& direction) override;
};

}  // namespace zen
