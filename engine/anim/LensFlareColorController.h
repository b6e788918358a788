#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Changes the lens flares' colour over time ("ZEN.LensFlareColorController"; owner a ZEN.LensFlares, animations
// ZEN.ColorAnimation), blended linearly.
class LensFlareColorController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    LensFlareColorController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
