#pragma once
#include "engine/anim/Animation.h"

namespace zen {

// An animation of FloatKeyframes ("ZEN.FloatAnimation"): scalars such as flare sizes.
class FloatAnimation : public Animation {
    ZEN_DECLARE_CLASS

public:
    FloatAnimation() = default;
    Keyframe* NewKeyframe() const override;
    Keyframe::Kind KeyframeKind() const override;
};

}  // namespace zen
