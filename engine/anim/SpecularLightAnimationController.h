#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Changes the specular colour of a light over time ("ZEN.SpecularLightAnimationController"; owner a
// ZEN.Light, animations ZEN.ColorAnimation), blended linearly.
class SpecularLightAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    SpecularLightAnimationController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
