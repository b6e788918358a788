#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "tools/model/MeshBuilder.h"

namespace zen::scene {

// The keeper's cottage: whitewashed walls, a slate roof with gables, a chimney, and windows
// lit from inside. Built around its own origin on the ground, its front (door and windows)
// facing -z.
class Cottage {
public:
    static constexpr float kWidth = 8.0f, kDepth = 5.5f, kWallHeight = 3.0f, kRidgeHeight = 5.2f;

    static model::MeshBuilder Walls();    // Walls and gables.
    static model::MeshBuilder Roof();     // Both slopes, with an overhang.
    static model::MeshBuilder Chimney();
    static model::MeshBuilder Windows();  // Quads just in front of the walls.

    static Ptr<Image> WallPicture(const char* fileName);
    static Ptr<Image> SlatePicture(const char* fileName);
    static Ptr<Image> WindowPicture(const char* fileName);
};

}  // namespace zen::scene
