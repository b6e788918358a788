#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Switches the texture of a texture effect over time ("ZEN.TextureAnimationController"; owner
// a ZEN.TextureEffect, animations ZEN.TextureAnimation): flip-book pictures, no blending.
class TextureAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    TextureAnimationController() = default;

protected:
    // Each stage in turn offers the texture of its key in force; one that differs from the
    // texture the owner had when the update began is set, so the last such stage wins.
    // (Controllers of other texture owners do the same with ForEachStageKey<TextureKeyframe>.)
    void ApplyStages() override;
};

}  // namespace zen
