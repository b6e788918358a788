#pragma once
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"

namespace zen {

// One element of a particle system's pool: a plain record, linked into the system's live list
// or its free list through `next`. Positions are in world space. Foliage reuses the record with
// other meanings (see Foliage): acceleration holds the anchor, age the sway phase and velocity
// the sway vector.
struct Particle {
    Vector3 position;      // World units.
    Vector3 velocity;      // World units per second.
    Vector3 acceleration;  // World units per second squared.
    Vector4 color;
    Vector4 startColor;
    Vector4 endColor;
    float size = 0;
    float startSize = 0;
    float endSize = 0;
    float lifetime = 0;    // Seconds.
    float age = 0;         // Seconds since birth.
    Particle* next = nullptr;  // Next in whichever list holds the particle; not owned.
};

}  // namespace zen
