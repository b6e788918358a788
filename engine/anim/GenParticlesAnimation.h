#pragma once
#include "engine/anim/Animation.h"

namespace zen {

// An animation of BoolKeyframes ("ZEN.GenParticlesAnimation"): the emission switch of a particle system.
class GenParticlesAnimation : public Animation {
    ZEN_DECLARE_CLASS

public:
    GenParticlesAnimation() = default;
    Keyframe* NewKeyframe() const override;
    Keyframe::Kind KeyframeKind() const override;
};

}  // namespace zen
