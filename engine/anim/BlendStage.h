#pragma once
#include <cstdint>

#include "engine/anim/Animation.h"
#include "engine/core/Ptr.h"

namespace zen {

// One blending stage of an animation controller (a value, not saved): the animation it plays,
// its weight in the blend, and where the last Evaluate put it: the key in force, the key after
// it (wrapping to 0 past the last) and how far between the two, 0..1.
struct BlendStage {
    Ptr<Animation> animation;
    float weight = 1.0f;
    uint32_t keyIndex = 0;
    uint32_t nextKeyIndex = 0;
    double fraction = 0;

    // Positions the stage at local time `t` of its animation; nothing without an animation or
    // keys. A time that is not finite is taken as 0.
    void Evaluate(double t);
    // True when the stage's animation has keys of `kind` and the key indices lie inside it.
    bool HasKeys(Keyframe::Kind kind) const;
};

}  // namespace zen
