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

Ptr<Image> Headland::Picture(const char* fileName)
{
    static const art::ValueNoise grain(0x9A17u);
    static const art::ValueNoise patches(0x7A7Cu);
    const int size = kPictureSize;
    art::Canvas canvas(size, size);
    const Vector3 tower = TowerBase();
    const Vector3 cottage = CottageBase();
    canvas.Shade([&](art::Vec2 centre, Color) {
        const float x = kMinX + (kMaxX - kMinX) * centre.x / static_cast<float>(size);
        const float z = kMaxZ - (kMaxZ - kMinZ) * centre.y / static_cast<float>(size);
        const float h = Height(x, z);
        const Vector3 n = Normal(x, z);
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
        ground = ground.Scaled(0.75f + 0.5f * g);
        const Color light = NightLight::Shade(n);
        // The lamp lights the ground near the tower, falling off with distance.
        const float dt = std::sqrt((x - tower.x) * (x - tower.x) + (z - tower.z) * (z - tower.z));
        const float lamp = 0.55f * std::exp(-dt * dt / (2 * 14.0f * 14.0f));
        const float dc = std::sqrt((x - cottage.x) * (x - cottage.x) + (z - cottage.z) * (z - cottage.z));
        const float window = 0.35f * std::exp(-dc * dc / (2 * 6.0f * 6.0f));
        const Color warm = NightLight::kLamplight;
        return Color(ground.r * (light.r + warm.r * (lamp + window)), ground.g * (light.g + warm.g * (lamp + window)),
                     ground.b * (light.b + warm.b * (lamp + window)), 1.0f);
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

}  // namespace zen::scene
