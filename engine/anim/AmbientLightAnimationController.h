#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Changes the ambient colour of a light over time ("ZEN.AmbientLightAnimationController"; owner a
// ZEN.Light, animations ZEN.ColorAnimation), blended linearly.
class AmbientLightAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    AmbientLightAnimationController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
