#pragma once
#include "engine/anim/RenderScreenspaceTextureController.h"

namespace zen {

// Planar water refraction into its owner texture ("ZEN.RenderScreenspaceRefractTextureController"): the listed nodes
// drawn from the current camera with heights under the water scaled by 1/1.33, the apparent depth seen through the surface: what lies below the water.
class RenderScreenspaceRefractTextureController : public RenderScreenspaceTextureController {
    ZEN_DECLARE_CLASS

public:
    RenderScreenspaceRefractTextureController() = default;

protected:
    Matrix4 SpaceChange(float height) const override;
    bool Mirrors() const override { return false; }
};

}  // namespace zen
