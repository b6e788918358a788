#pragma once
#include "engine/anim/Animation.h"

namespace zen {

// An animation of BoolKeyframes ("ZEN.BoolAnimation"): on/off switches (the camera-activate controller).
class BoolAnimation : public Animation {
    ZEN_DECLARE_CLASS

public:
    BoolAnimation() = default;
    Keyframe* NewKeyframe() const override;
    Keyframe::Kind KeyframeKind() const override;
};

}  // namespace zen
