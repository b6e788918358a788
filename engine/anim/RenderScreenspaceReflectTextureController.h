#pragma once
#include "engine/anim/RenderScreenspaceTextureController.h"

namespace zen {

// Planar water reflection into its owner texture ("ZEN.RenderScreenspaceReflectTextureController"): the listed nodes
// drawn from the current camera mirrored in the water plane (the winding flips, so culling is mirrored while it draws): what lies above the water, seen from below.
class RenderScreenspaceReflectTextureController : public RenderScreenspaceTextureController {
    ZEN_DECLARE_CLASS

public:
    RenderScreenspaceReflectTextureController() = default;

protected:
    Matrix4 SpaceChange(float height) const override;
    bool Mirrors() const override { return true; }
};

}  // namespace zen
