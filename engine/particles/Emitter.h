#pragma once
#include "engine/core/Object.h"
#include "engine/core/Vector3.h"

namespace zen {

// Where a new particle starts and which way it flies ("ZEN.Emitter", abstract). A particle
// system holds one by reference and asks it once per birth. No fields of its own; its stream
// form is the Object's.
class Emitter : public Object {
    ZEN_DECLARE_CLASS

public:
    // A birth place in world space and a unit direction. False when the emitter has nowhere to
    // put a particle (a triangles emitter without usable geometry): the system then skips that
    // birth, so such a system emits nothing. Draws from the process-wide Random.
    virtual bool Emit(Vector3& position, Vector3& direction) = 0;

protected:
    Emitter() = default;
};

}  // namespace zen
