#pragma once
#include "engine/anim/AnimationController.h"

namespace zen {

// Switches the picture of a projected caustic over time ("ZEN.ProjectedCausticAnimationController";
// owner a ZEN.ProjectedCausticEffect, animations ZEN.TextureAnimation): the frames of moving
// water light as a flip-book, no blending. Other owners are left alone.
class ProjectedCausticAnimationController : public AnimationController {
    ZEN_DECLARE_CLASS

public:
    ProjectedCausticAnimationController() = default;

protected:
    // Each stage in turn offers the texture of its key in force; one that differs from the
    // caustic the owner had when the update began is set, so the last such stage wins.
    void ApplyStages() override;
};

}  // namespace zen
