#pragma once
#include "engine/anim/Animation.h"

namespace zen {

// An animation of BoolKeyframes ("ZEN.SoundNodeAnimation"): the play switch of a sound node.
class SoundNodeAnimation : public Animation {
    ZEN_DECLARE_CLASS

public:
    SoundNodeAnimation() = default;
    Keyframe* NewKeyframe() const override;
    Keyframe::Kind KeyframeKind() const override;
};

}  // namespace zen
