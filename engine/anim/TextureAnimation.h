#pragma once
#include "engine/anim/Animation.h"

namespace zen {

// An animation of TextureKeyframes ("ZEN.TextureAnimation"): texture switches (texture, caustic and light-map controllers).
class TextureAnimation : public Animation {
    ZEN_DECLARE_CLASS

public:
    TextureAnimation() = default;
    Keyframe* NewKeyframe() const override;
    Keyframe::Kind KeyframeKind() const override;
    void VisitReferences(ReferenceVisitor& visitor) override;  // Also each key's texture.
};

}  // namespace zen
