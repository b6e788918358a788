#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Switches the light map of a light-mapped effect over time ("ZEN.LightmapAnimationController";
// owner a ZEN.LightmapTextureEffect or a subclass, animations ZEN.TextureAnimation): flip-book
// light maps (a flickering lamp, a passing beam), no blending. Other owners are left alone.
class LightmapAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    LightmapAnimationController() = default;

protected:
    // Each stage in turn offers the texture of its key in force; one that differs from the light
    // map the owner had when the update began is set, so the last such stage wins.
    void ApplyStages() override;
};

}  // namespace zen
