#include "tools/scene/Cottage.h"

#include <cmath>

#include "tools/art/Canvas.h"
#include "tools/art/ValueNoise.h"
#include "tools/model/Extrusion.h"
#include "tools/model/Primitives.h"

namespace zen::scene {
namespace {

using art::Color;
using model::MeshBuilder;

Transform Place(const Vector3& where, float yaw = 0)
{
    Transform t;
    t.SetTranslation(where);
    if (yaw != 0)
        t.SetRotation(Quaternion{0, std::sin(0.5f * yaw), 0, std::cos(0.5f * yaw)});
    return t;
}

}  // namespace

MeshBuilder Cottage::Walls()
{
    MeshBuilder walls = model::Primitives::Box({kWidth, kWallHeight, kDepth}, 0.25f);
    walls.Apply(Place({0, 0.5f * kWallHeight, 0}));
    // The gables: triangles on the two short sides, extruded through the house's width.
    const float half = 0.5f * kDepth;
    MeshBuilder gable = model::Extrusion::Extrude({{-half, 0}, {0, kRidgeHeight - kWallHeight}, {half, 0}}, kWidth, true,
                                                  0.25f);
    // The prism runs along +z; turn it to run along +x, centred.
    walls.Append(gable, Place({-0.5f * kWidth, kWallHeight, 0}, 1.5707963f));
    return walls;
}

MeshBuilder Cottage::Roof()
{
    const float overhang = 0.45f;
    const float half = 0.5f * kDepth + overhang;
    const float rise = (kRidgeHeight - kWallHeight) * (half / (0.5f * kDepth));
    const float thick = 0.18f;
    MeshBuilder roof;
    // Each slope a thin slab: outline across the house, extruded along its width.
    for (float side : {-1.0f, 1.0f}) {
        std::vector<Vector2> outline;
        // Clockwise as seen from the prism's front: eaves underside, ridge underside, ridge top,
        // eaves top (mirrored for the other side).
        const float eaves = -overhang * 0.4f;
        if (side < 0)
            outline = {{-half, eaves}, {-half, eaves + thick}, {0, rise + thick}, {0, rise - 0.02f}};
        else
            outline = {{half, eaves + thick}, {half, eaves}, {0, rise - 0.02f}, {0, rise + thick}};
        MeshBuilder slab = model::Extrusion::Extrude(outline, kWidth + 2 * overhang, true, 0.5f);
        roof.Append(slab, Place({-0.5f * kWidth - overhang, kWallHeight, 0}, 1.5707963f));
    }
    return roof;
}

MeshBuilder Cottage::Chimney()
{
    MeshBuilder chimney = model::Primitives::Box({0.8f, 2.4f, 0.8f}, 0.5f);
    chimney.Apply(Place({0.3f * kWidth, kRidgeHeight - 0.2f, 0.6f}));
    return chimney;
}

MeshBuilder Cottage::Windows()
{
    MeshBuilder windows;
    const MeshBuilder pane = model::Primitives::Quad(0.9f, 1.1f);
    const float front = -0.5f * kDepth - 0.02f;
    for (float x : {-2.4f, 2.4f})
        windows.Append(pane, Place({x, 1.1f, front}));
    // One at the back and one in the gable end facing the tower.
    windows.Append(pane, Place({1.0f, 1.1f, 0.5f * kDepth + 0.02f}, 3.14159265f));
    windows.Append(pane, Place({0.5f * kWidth + 0.02f, 1.2f, 0}, -1.5707963f));
    return windows;
}

Ptr<Image> Cottage::WallPicture(const char* fileName)
{
    const int s = 256;
    art::Canvas canvas(s, s);
    static const art::ValueNoise lime(0x11AEu);
    canvas.Shade([&](art::Vec2 c, Color) {
        const float n = lime.Fractal(c.x * 0.05f, c.y * 0.05f, 4);
        const float stain = art::SmoothStep(0.6f, 0.9f, lime.Fractal(c.x * 0.012f + 9, c.y * 0.03f, 3));
        return Color(0.80f, 0.79f, 0.74f).Scaled(0.85f + 0.2f * n - 0.25f * stain);
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

Ptr<Image> Cottage::SlatePicture(const char* fileName)
{
    const int s = 256;
    art::Canvas canvas(s, s);
    static const art::ValueNoise slate(0x51A7u);
    canvas.Shade([&](art::Vec2 c, Color) {
        const int row = static_cast<int>(c.y / 16);
        const float offset = (row % 2) * 12.0f;
        const float x = std::fmod(c.x + offset, 24.0f);
        const float y = std::fmod(c.y, 16.0f);
        const bool gap = x < 1.2f || y < 1.2f;
        const float n = slate.Fractal(static_cast<float>(row) * 3.1f + std::floor((c.x + offset) / 24.0f) * 1.7f, 0.5f, 2);
        const Color tile = Color(0.17f, 0.18f, 0.21f).Scaled(0.75f + 0.5f * n);
        return gap ? Color(0.05f, 0.05f, 0.06f) : tile;
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

Ptr<Image> Cottage::WindowPicture(const char* fileName)
{
    const int s = 64;
    art::Canvas canvas(s, s);
    canvas.Shade([&](art::Vec2 c, Color) {
        const float u = c.x / s, v = c.y / s;
        const bool frame = u < 0.08f || u > 0.92f || v < 0.07f || v > 0.93f || std::abs(u - 0.5f) < 0.035f ||
                           std::abs(v - 0.5f) < 0.03f;
        if (frame)
            return Color(0.85f, 0.83f, 0.78f).Scaled(0.35f);
        // Lamp-lit room: brighter low in the middle, a curtain at the sides.
        const float glow = 0.75f + 0.35f * (1.0f - std::abs(u - 0.5f) * 2) * v;
        const float curtain = art::SmoothStep(0.30f, 0.16f, std::min(u, 1 - u));
        return Color(1.0f * glow, 0.72f * glow, 0.38f * glow).Scaled(1.0f - 0.45f * curtain);
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

}  // namespace zen::scene
