#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Changes the flare's size over time ("ZEN.FlareSizeController"; owner a ZEN.Flare, animations
// ZEN.FloatAnimation), blended linearly.
class FlareSizeController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    FlareSizeController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
