#include "tools/scene/Headland.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Canvas.h"
#include "tools/art/ValueNoise.h"
#include "tools/scene/NightLight.h"

namespace zen::scene {
namespace {

using art::Color;

constexpr float kTowerX = 0, kTowerZ = 22;
constexpr float kCottageX = 16, kCottageZ = -26;

// Distance from (x, z) to the headland's spine, a segment from far inland out to the tip.
float SpineDistance(float x, float z)
{
    const float z0 = -700, z1 = 40;
    const float t = std::clamp((z - z0) / (z1 - z0), 0.0f, 1.0f);
    const float sz = z0 + t * (z1 - z0);
    return std::sqrt(x * x + (z - sz) * (z - sz));
}

}  // namespace

float Headland::Height(float x, float z)
{
    static const art::ValueNoise shape(0xC0A57u);
    static const art::ValueNoise detail(0x5EA5u);
    // The promontory is about 70 m wide, widening into the mainland behind.
    const float halfWidth = 62.0f + std::max(0.0f, -170.0f - z) * 1.6f;
    // A ragged coastline: the distance is bent by slow noise.
    const float ragged = 1.0f + 0.28f * (shape.Fractal(x * 0.012f, z * 0.012f, 3) - 0.5f) * 2.0f;
    const float d = SpineDistance(x, z) / (halfWidth * ragged);
    // Grassy top, steep cliffs from 0.65 to 0.95 of the half width, sea floor beyond.
    const float top = 24.0f + 5.0f * (shape.Fractal(x * 0.02f + 7.3f, z * 0.02f, 3) - 0.5f) +
                      std::max(0.0f, -120.0f - z) * 0.05f;
    const float cliff = art::SmoothStep(0.62f, 0.97f, d);
    float h = top * (1.0f - cliff) - 9.0f * cliff;
    // Rock texture on the slopes, gentler on the top.
    const float roughness = 0.6f + 2.4f * cliff * (1.0f - cliff) * 4.0f;
    h += roughness * (detail.Fractal(x * 0.09f, z * 0.09f, 4) - 0.5f) * 2.0f;
    // A level pad around the tower and the cottage.
    auto level = [&](float cx, float cz, float radius) {
        const float r = std::sqrt((x - cx) * (x - cx) + (z - cz) * (z - cz));
        const float w = 1.0f - art::SmoothStep(radius, radius * 2.2f, r);
        return w;
    };
    const float towerPad = level(kTowerX, kTowerZ, 7.0f);
    const float cottagePad = level(kCottageX, kCottageZ, 7.0f);
    h = h * (1 - towerPad) + 25.0f * towerPad;
    h = h * (1 - cottagePad) + 23.5f * cottagePad;
    return h;
}

Vector3 Headland::Normal(float x, float z)
{
    return model::HeightField::Normal(&Headland::Height, x, z, 0.4f);
}

Vector3 Headland::TowerBase()
{
    return {kTowerX, Height(kTowerX, kTowerZ), kTowerZ};
}

Vector3 Headland::CottageBase()
{
    return {kCottageX, Height(kCottageX, kCottageZ), kCottageZ};
}

model::MeshBuilder Headland::Mesh()
{
    return model::HeightField::Build({kMinX, kMinZ, kMaxX, kMaxZ, kCells, kCells}, &Headland::Height,
                                     1.0f / (kMaxX - kMinX));
}

namespace {

// Surface colour of the ground at (x, z) without any light: grass, rock, wet stone, sea bed and
// the worn path, scaled so that the light map (which carries at most kLightScale) brings it back.
Color Albedo(float x, float z)
{
    static const art::ValueNoise grain(0x9A17u);
    static const art::ValueNoise patches(0x7A7Cu);
    const Vector3 tower = Headland::TowerBase();
    const Vector3 cottage = Headland::CottageBase();
    const float h = Headland::Height(x, z);
    const Vector3 n = Headland::Normal(x, z);
    const float slope = 1.0f - n.y;
    const float g = grain.Fractal(x * 0.8f, z * 0.8f, 3);
    const float p = patches.Fractal(x * 0.05f, z * 0.05f, 3);
    const Color grass = art::Mix(Color(0.16f, 0.21f, 0.12f), Color(0.22f, 0.24f, 0.14f), p);
    const Color rock = art::Mix(Color(0.30f, 0.29f, 0.27f), Color(0.40f, 0.37f, 0.33f), g);
    const Color wet(0.12f, 0.12f, 0.13f);
    const Color bed(0.05f, 0.08f, 0.10f);
    Color ground = art::Mix(grass, rock, art::SmoothStep(0.18f, 0.38f, slope + 0.15f * (g - 0.5f)));
    ground = art::Mix(wet, ground, art::SmoothStep(0.3f, 2.5f, h));
    ground = art::Mix(bed, ground, art::SmoothStep(-2.5f, 0.2f, h));
    // A worn path from the cottage to the tower.
    {
        const float ax = cottage.x, az = cottage.z, bx = tower.x, bz = tower.z;
        const float t = std::clamp(((x - ax) * (bx - ax) + (z - az) * (bz - az)) /
                                       ((bx - ax) * (bx - ax) + (bz - az) * (bz - az)),
                                   0.0f, 1.0f);
        const float wobble = 1.2f * std::sin(t * 9.0f);
        const float dx = x - (ax + t * (bx - ax)) - wobble, dz = z - (az + t * (bz - az));
        const float path = 1.0f - art::SmoothStep(0.6f, 1.4f, std::sqrt(dx * dx + dz * dz));
        ground = art::Mix(ground, Color(0.33f, 0.30f, 0.26f), 0.8f * path);
    }
    return ground.Scaled((0.75f + 0.5f * g) * Headland::kLightScale);
}

// Small relief the mesh is too coarse to carry: stone grain on the rock, a gentle tussock
// texture on the grass; metres added to the height.
float Grain(float x, float z)
{
    static const art::ValueNoise grain(0x9A17u);
    const float slope = 1.0f - Headland::Normal(x, z).y;
    const float rockiness = art::SmoothStep(0.15f, 0.4f, slope);
    return (0.05f + 0.25f * rockiness) * (grain.Fractal(x * 0.8f, z * 0.8f, 3) - 0.5f);
}

float Detailed(float x, float z)
{
    return Headland::Height(x, z) + Grain(x, z);
}

// The map's pixel centre as ground coordinates (far edge, +z, at the top).
void MapPoint(art::Vec2 centre, int size, float& x, float& z)
{
    x = Headland::kMinX + (Headland::kMaxX - Headland::kMinX) * centre.x / static_cast<float>(size);
    z = Headland::kMaxZ - (Headland::kMaxZ - Headland::kMinZ) * centre.y / static_cast<float>(size);
}

}  // namespace

Ptr<Image> Headland::Picture(const char* fileName)
{
    art::Canvas canvas(kPictureSize, kPictureSize);
    canvas.Shade([&](art::Vec2 centre, Color) {
        float x, z;
        MapPoint(centre, kPictureSize, x, z);
        Color c = Albedo(x, z);
        c.a = 1.0f;
        return c;
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

Vector3 Headland::ReliefNormal(float x, float z)
{
    // The fine surface (grain included) against the mesh's own smooth one, a cell wide.
    const float cell = (kMaxX - kMinX) / static_cast<float>(kCells);
    const Vector3 fine = model::HeightField::Normal(&Detailed, x, z, 0.15f);
    const Vector3 coarse = model::HeightField::Normal(&Headland::Height, x, z, 0.5f * cell);
    // The horizontal tilt of the fine surface relative to the coarse one, in the frame whose
    // first axis points towards the moon across the ground.
    Vector3 toMoon = NightLight::MoonDirection();
    toMoon.y = 0;
    toMoon = toMoon.Normalized();
    const float dx = fine.x / fine.y - coarse.x / coarse.y;
    const float dz = fine.z / fine.y - coarse.z / coarse.y;
    const float along = dx * toMoon.x + dz * toMoon.z;
    const float across = -dx * toMoon.z + dz * toMoon.x;
    return Vector3{along, across, 1.0f}.Normalized();
}

Ptr<Image> Headland::NormalPicture(const char* fileName)
{
    art::Canvas canvas(kPictureSize, kPictureSize);
    constexpr float kHalfRoot2 = 0.70710678f;
    canvas.Shade([&](art::Vec2 centre, Color) {
        float x, z;
        MapPoint(centre, kPictureSize, x, z);
        const Vector3 r = ReliefNormal(x, z);
        // The effect lights its relief along the map's diagonal (+x +y): the tilt towards the
        // moon goes onto that diagonal, the tilt across it onto the other.
        const float nx = (r.x + r.y) * kHalfRoot2, ny = (r.x - r.y) * kHalfRoot2;
        return Color(0.5f + 0.5f * nx, 0.5f + 0.5f * ny, 0.5f + 0.5f * r.z, 1.0f);
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

float Headland::MoonShadow(float x, float z)
{
    // March from the ground towards the moon; any ground above the ray shades the point, softly
    // by how far above it rises.
    const Vector3 moon = NightLight::MoonDirection();
    const float horizontal = std::sqrt(moon.x * moon.x + moon.z * moon.z);
    const float rise = moon.y / horizontal;
    const float dx = moon.x / horizontal, dz = moon.z / horizontal;
    const float start = Height(x, z) + 0.3f;
    float lit = 1.0f;
    for (float t = 1.0f; t < 400.0f; t *= 1.08f) {
        const float ray = start + rise * t;
        if (ray > 40.0f)
            break;
        const float ground = Height(x + dx * t, z + dz * t);
        lit = std::min(lit, 1.0f - art::SmoothStep(0.0f, 1.5f + 0.02f * t, ground - ray));
        if (lit <= 0.0f)
            break;
    }
    return lit;
}

art::Color Headland::Light(float x, float z)
{
    const Vector3 tower = TowerBase();
    const Vector3 cottage = CottageBase();
    const float cell = (kMaxX - kMinX) / static_cast<float>(kCells);
    const Vector3 n = model::HeightField::Normal(&Headland::Height, x, z, 0.5f * cell);
    const float direct = std::max(0.0f, n.Dot(NightLight::MoonDirection())) * MoonShadow(x, z);
    const float sky = 0.55f + 0.45f * n.y;
    const Color moon = NightLight::kMoonlight, skylight = NightLight::kSkylight, warm = NightLight::kLamplight;
    // The lamp lights the ground near the tower, the windows the cottage's yard.
    const float dt = std::sqrt((x - tower.x) * (x - tower.x) + (z - tower.z) * (z - tower.z));
    const float lamp = 0.55f * std::exp(-dt * dt / (2 * 14.0f * 14.0f));
    const float dc = std::sqrt((x - cottage.x) * (x - cottage.x) + (z - cottage.z) * (z - cottage.z));
    const float window = 0.35f * std::exp(-dc * dc / (2 * 6.0f * 6.0f));
    const float glow = lamp + window;
    return Color(skylight.r * sky + moon.r * direct + warm.r * glow, skylight.g * sky + moon.g * direct + warm.g * glow,
                 skylight.b * sky + moon.b * direct + warm.b * glow, 1.0f);
}

Ptr<Image> Headland::LightPicture(const char* fileName)
{
    art::Canvas canvas(kLightMapSize, kLightMapSize);
    canvas.Shade([&](art::Vec2 centre, Color) {
        float x, z;
        MapPoint(centre, kLightMapSize, x, z);
        const Color light = Light(x, z);
        return Color(std::min(1.0f, light.r / kLightScale), std::min(1.0f, light.g / kLightScale),
                     std::min(1.0f, light.b / kLightScale), 1.0f);
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

}  // namespace zen::scene
