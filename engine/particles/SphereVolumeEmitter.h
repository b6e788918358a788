#pragma once
#include <cmath>

#include "engine/particles/PointEmitter.h"

namespace zen {

// Emits from anywhere inside a ball around the owner's world position ("ZEN.SphereVolumeEmitter"),
// uniformly by volume: a direction uniform over the sphere (cos of the polar angle uniform in
// [-1, 1], the azimuth uniform in [0, 2 pi)) and a distance radius * cbrt(u), so the fraction of
// births within half the radius is 1/8. The ball is not turned with the owner. The flight
// direction is drawn as the point emitter's, before the place. Stream form: the point
// emitter's, then radius (float32; a value that is not a finite number loads as 0 with a
// warning).
class SphereVolumeEmitter : public PointEmitter {
    ZEN_DECLARE_CLASS

public:
    SphereVolumeEmitter() = default;

    bool Emit(Vector3& position, Vector3& direction) override;

    float Radius() const { return m_radius; }
    void SetRadius(float radius) { m_radius = std::isfinite(radius) ? radius : 0.0f; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    float m_radius = 10.0f;  // World units.
};

}  // namespace zen
