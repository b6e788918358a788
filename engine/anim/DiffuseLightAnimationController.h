#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Changes the diffuse colour of a light over time ("ZEN.DiffuseLightAnimationController"; owner a
// ZEN.Light, animations ZEN.ColorAnimation), blended linearly.
class DiffuseLightAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    DiffuseLightAnimationController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
