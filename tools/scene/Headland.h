#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "tools/model/HeightField.h"

namespace zen::scene {

// The ground of the scene: a rocky promontory running out from the mainland (behind, -z)
// towards the open sea (+z), a grassy top about 24 m above the water with steep rock all round,
// and the sea floor falling away beyond. The lighthouse stands near the tip; the keeper's
// cottage further back on the ridge.
class Headland {
public:
    // The extent of the ground mesh and of its picture.
    static constexpr float kMinX = -320, kMaxX = 320, kMinZ = -460, kMaxZ = 180;
    static constexpr int kCells = 160;
    static constexpr int kPictureSize = 1024;

    static float Height(float x, float z);
    static Vector3 Normal(float x, float z);
    // Where the tower and the cottage stand (on the ground).
    static Vector3 TowerBase();
    static Vector3 CottageBase();

    static model::MeshBuilder Mesh();
    // The ground seen from above (far edge at the top), rock, grass, wet stone and sea bed with
    // the moon's light and the lamp's glow painted in.
    static Ptr<Image> Picture(const char* fileName);
};

}  // namespace zen::scene
