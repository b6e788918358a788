#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Changes the flare's colour over time ("ZEN.FlareColorController"; owner a ZEN.Flare, animations
// ZEN.ColorAnimation), blended linearly.
class FlareColorController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    FlareColorController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
