#include "tools/scene/Tower.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Canvas.h"
#include "tools/art/ValueNoise.h"
#include "tools/model/Primitives.h"
#include "tools/scene/NightLight.h"

namespace zen::scene {
namespace {

using art::Color;
using model::Lathe;
using model::MeshBuilder;
constexpr float kTwoPi = 6.28318530718f;

// Heights of the band boundaries on the shaft, bottom up: white, red, white, red, white.
constexpr float kBands[] = {1.4f, 5.2f, 9.0f, 12.8f, 16.6f, 20.2f};

Transform At(const Vector3& where)
{
    Transform t;
    t.SetTranslation(where);
    return t;
}

}  // namespace

const std::vector<Lathe::Point>& Tower::BodyProfile()
{
    static const std::vector<Lathe::Point> profile = {
        {0.0f, 0.0f, true},    {5.0f, 0.0f, true},   {5.0f, 1.4f, true},  {4.0f, 1.4f, true},  // Plinth.
        {2.85f, 20.2f, true},                                                                 // Shaft.
        {3.6f, 20.7f, true},  {3.6f, 21.0f, true},                                            // Corbel.
        {0.0f, 21.0f, true},                                                                  // Gallery floor.
    };
    return profile;
}

MeshBuilder Tower::Body()
{
    return Lathe::Turn(BodyProfile(), 48);
}

MeshBuilder Tower::Railing()
{
    MeshBuilder railing;
    const float radius = 3.45f;
    const int posts = 28;
    const MeshBuilder post = model::Primitives::Box({0.07f, 1.05f, 0.07f});
    for (int i = 0; i < posts; ++i) {
        const float angle = kTwoPi * static_cast<float>(i) / posts;
        railing.Append(post, At({radius * std::cos(angle), kGalleryHeight + 0.525f, radius * std::sin(angle)}));
    }
    // Two rails: thin rings of square section.
    for (float height : {kGalleryHeight + 0.55f, kGalleryHeight + 1.05f}) {
        const float r0 = radius - 0.04f, r1 = radius + 0.04f;
        railing.Append(Lathe::Turn({{r0, height - 0.04f, true},
                                    {r1, height - 0.04f, true},
                                    {r1, height + 0.04f, true},
                                    {r0, height + 0.04f, true},
                                    {r0, height - 0.04f, true}},
                                   48));
    }
    return railing;
}

MeshBuilder Tower::Glazing()
{
    return model::Primitives::Cylinder(kLanternRadius, kLanternTop - kGalleryHeight - 0.35f, 16, 8.0f);
}

MeshBuilder Tower::Roof()
{
    MeshBuilder roof = Lathe::Turn({{kLanternRadius + 0.1f, 0.0f, true},
                                    {kLanternRadius + 0.35f, 0.15f, true},
                                    {1.6f, 0.9f, false},
                                    {0.7f, 1.6f, false},
                                    {0.12f, 1.95f, true},
                                    {0.0f, 1.95f, true}},
                                   32);
    roof.Apply(At({0, kLanternTop - 0.35f, 0}));
    // A low wall under the glass and the vent ball on top.
    roof.Append(model::Primitives::Cylinder(kLanternRadius + 0.05f, 0.35f, 32), At({0, kGalleryHeight, 0}));
    roof.Append(model::Primitives::Sphere(0.28f, 12, 8), At({0, kLanternTop + 1.85f, 0}));
    return roof;
}

MeshBuilder Tower::Lamp()
{
    MeshBuilder lamp = model::Primitives::Sphere(0.55f, 16, 10);
    lamp.Apply(At({0, kLampHeight, 0}));
    return lamp;
}

MeshBuilder Tower::Beam(float length, float endRadius)
{
    // A cone along +y from radius 0.5 to endRadius, open at both ends, seen from inside and out:
    // built once each way round.
    MeshBuilder outside = Lathe::Turn({{endRadius, -length, false}, {0.5f, 0.0f, false}}, 24);
    MeshBuilder inside = outside;
    inside.Flip();
    outside.Append(inside);
    // The profile runs up to the lamp at y = 0; a quarter turn about x lays -y along +z.
    Transform lay;
    lay.SetRotation(Quaternion{-0.70710678f, 0, 0, 0.70710678f});
    outside.Apply(lay);
    return outside;
}

Ptr<Image> Tower::BodyPicture(const char* fileName)
{
    const int w = 512, h = 1024;
    art::Canvas canvas(w, h);
    static const art::ValueNoise grime(0x70E4u);
    // Height at each v: walk the profile by arc length from the top.
    const std::vector<Lathe::Point>& profile = BodyProfile();
    std::vector<float> fromTop(profile.size(), 0);
    for (size_t i = profile.size() - 1; i-- > 0;) {
        const float dr = profile[i + 1].radius - profile[i].radius, dy = profile[i + 1].height - profile[i].height;
        fromTop[i] = fromTop[i + 1] + std::sqrt(dr * dr + dy * dy);
    }
    const float total = fromTop[0];
    auto pointAt = [&](float v, Vector3& where, Vector3& normal2) {
        const float s = v * total;
        for (size_t i = 0; i + 1 < profile.size(); ++i) {
            if (s <= fromTop[i] && s >= fromTop[i + 1]) {
                const float span = fromTop[i] - fromTop[i + 1];
                const float t = span > 0 ? (fromTop[i] - s) / span : 0;
                where = {profile[i].radius + t * (profile[i + 1].radius - profile[i].radius),
                         profile[i].height + t * (profile[i + 1].height - profile[i].height), 0};
                const float dr = profile[i + 1].radius - profile[i].radius;
                const float dy = profile[i + 1].height - profile[i].height;
                normal2 = Vector3{dy, -dr, 0}.Normalized();
                return;
            }
        }
        where = {0, 0, 0};
        normal2 = {0, 1, 0};
    };
    canvas.Shade([&](art::Vec2 c, Color) {
        const float u = c.x / static_cast<float>(w), v = c.y / static_cast<float>(h);
        Vector3 where, n2;
        pointAt(v, where, n2);
        const float y = where.y;
        const float angle = u * kTwoPi;
        const Vector3 normal{n2.x * std::cos(angle), n2.y, n2.x * std::sin(angle)};
        Color paint;
        if (y < 1.4f || n2.y > 0.9f) {
            paint = Color(0.42f, 0.40f, 0.37f);  // Stone plinth and floors.
            paint = paint.Scaled(0.8f + 0.35f * grime.Fractal(u * 40, v * 60, 3));
        } else if (y >= 20.2f) {
            paint = Color(0.12f, 0.13f, 0.12f);  // Dark iron corbel.
        } else {
            int band = 0;
            while (band < 5 && y > kBands[band + 1])
                ++band;
            paint = band % 2 == 0 ? Color(0.86f, 0.85f, 0.80f) : Color(0.62f, 0.10f, 0.08f);
            // Rain streaks and grime, heavier low down.
            const float streak = grime.Fractal(u * 90, y * 0.4f, 3);
            const float dirt = grime.Fractal(u * 12 + 3, y * 0.5f, 4);
            paint = paint.Scaled(0.78f + 0.25f * streak - 0.18f * dirt * (1 - y / 20.0f));
            // Windows up the stair, and the door facing the cottage (towards -z, u = 0.75).
            const auto window = [&](float cu, float cy, float halfU, float halfY) {
                float du = std::abs(u - cu);
                du = std::min(du, 1 - du);
                return du < halfU && std::abs(y - cy) < halfY;
            };
            const bool door = window(0.75f, 2.5f, 0.03f, 1.1f);
            if (door)
                paint = Color(0.16f, 0.10f, 0.06f);
            for (float wy : {6.8f, 11.6f, 16.2f}) {
                const float wu = wy == 11.6f ? 0.25f : 0.75f;
                if (window(wu, wy, 0.018f, 0.55f))
                    paint = wy == 16.2f ? Color(1.4f, 1.05f, 0.6f) : Color(0.05f, 0.05f, 0.06f);
            }
        }
        const Color light = NightLight::Shade(normal);
        return Color(paint.r * light.r * 1.15f, paint.g * light.g * 1.15f, paint.b * light.b * 1.15f);
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

Ptr<Image> Tower::GlassPicture(const char* fileName)
{
    const int s = 128;
    art::Canvas canvas(s, s);
    canvas.Shade([&](art::Vec2 c, Color) {
        const float u = c.x / s, v = c.y / s;
        const bool mullion = u < 0.06f || u > 0.94f || std::abs(v - 0.5f) < 0.025f || v < 0.03f || v > 0.97f;
        if (mullion)
            return Color(0.10f, 0.10f, 0.09f, 1.0f);
        // Warm light from the lamp inside, a cool reflection of the sky across the top.
        const float sheen = 0.25f * art::SmoothStep(0.6f, 0.1f, v);
        return Color(0.95f + sheen, 0.80f + sheen, 0.45f + sheen, 0.28f);
    });
    return canvas.ToImage(Image::kR8G8B8A8, String(fileName));
}

Ptr<Image> Tower::IronPicture(const char* fileName)
{
    const int s = 64;
    art::Canvas canvas(s, s);
    static const art::ValueNoise rust(0x1205u);
    canvas.Shade([&](art::Vec2 c, Color) {
        const float n = rust.Fractal(c.x * 0.2f, c.y * 0.2f, 3);
        return art::Mix(Color(0.10f, 0.11f, 0.11f), Color(0.22f, 0.12f, 0.08f), art::SmoothStep(0.55f, 0.8f, n));
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

Ptr<Image> Tower::LampPicture(const char* fileName)
{
    const int s = 32;
    art::Canvas canvas(s, s, Color(1.0f, 0.93f, 0.72f));
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

Ptr<Image> Tower::BeamPicture(const char* fileName)
{
    const int w = 32, h = 256;
    art::Canvas canvas(w, h);
    canvas.Shade([&](art::Vec2 c, Color) {
        const float v = c.y / h;  // 0 at the lamp, 1 at the far end (the lathe's v).
        const float along = std::pow(1.0f - v, 2.2f);
        return Color(1.0f, 0.88f, 0.60f, 0.15f * along);
    });
    return canvas.ToImage(Image::kR8G8B8A8, String(fileName));
}

}  // namespace zen::scene
