#pragma once
#include "engine/anim/Animation.h"

namespace zen {

// An animation of ColorKeyframes ("ZEN.ColorAnimation"): colours (colour, light and flare colour controllers).
class ColorAnimation : public Animation {
    ZEN_DECLARE_CLASS

public:
    ColorAnimation() = default;
    Keyframe* NewKeyframe() const override;
    Keyframe::Kind KeyframeKind() const override;
};

}  // namespace zen
