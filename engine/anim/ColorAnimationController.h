#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Changes the colour of a colour effect over time ("ZEN.ColorAnimationController"; owner a
// ZEN.ColorEffect or one derived from it, animations ZEN.ColorAnimation). The four components
// blend linearly.
class ColorAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    ColorAnimationController() = default;

protected:
    void ApplyStages() override;
};

}  // namespace zen
