#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Changes the lens flares' size over time ("ZEN.LensFlareSizeController"; owner a ZEN.LensFlares, animations
// ZEN.FloatAnimation), blended linearly.
class LensFlareSizeController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    LensFlareSizeController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
