#pragma once
#include "engine/anim/Animation.h"

namespace zen {

// An animation of NodeKeyframes ("ZEN.NodeAnimation"): node placements (NodeAnimationController).
class NodeAnimation : public Animation {
    ZEN_DECLARE_CLASS

public:
    NodeAnimation() = default;
    Keyframe* NewKeyframe() const override;
    Keyframe::Kind KeyframeKind() const override;
};

}  // namespace zen
