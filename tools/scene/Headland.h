#pragma once
#include "engine/core/Ptr.h"
#include "engine/scene/Image.h"
#include "tools/art/Color.h"
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
    static constexpr int kLightMapSize = 512;
    // The light map holds light divided by this (moonlight, sky light and the lamp's glow add up
    // past 1); the ground's colour picture is brighter by as much.
    static constexpr float kLightScale = 1.6f;

    static float Height(float x, float z);
    static Vector3 Normal(float x, float z);
    // Where the tower and the cottage stand (on the ground).
    static Vector3 TowerBase();
    static Vector3 CottageBase();

    static model::MeshBuilder Mesh();
    // The ground seen from above (far edge at the top): rock, grass, wet stone and sea bed,
    // unlit, kLightScale times as bright as they look.
    static Ptr<Image> Picture(const char* fileName);
    // The light map over the same extent: moonlight (with the shadows the ground casts), sky
    // light and the warm glow of the lamp and the windows, divided by kLightScale.
    static Ptr<Image> LightPicture(const char* fileName);
    // The normal map over the same extent: the relief finer than the mesh, with its first axis
    // (plus the second, along the map's diagonal) towards the moon across the ground, so that an
    // effect lighting the relief along the map's diagonal lights it from the moon's side.
    static Ptr<Image> NormalPicture(const char* fileName);

    // The light falling on the ground at (x, z) (the light map's value before scaling).
    static art::Color Light(float x, float z);
    // 1 where the moon reaches the ground at (x, z), 0 in the shadow of higher ground between.
    static float MoonShadow(float x, float z);
    // The unit relief normal at (x, z): (towards the moon, across, up) relative to the mesh.
    static Vector3 ReliefNormal(float x, float z);
};

}  // namespace zen::scene
