#include "tools/scene/SkyPictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/art/Canvas.h"
#include "tools/art/Random.h"
#include "tools/art/ValueNoise.h"
#include "tools/scene/NightLight.h"
#include "tools/scene/TileNoise.h"

namespace zen::scene {
namespace {

using art::Color;
constexpr float kPi = 3.14159265359f;

Vector3 DirectionAt(float u, float v)
{
    const float polar = v * kPi;
    const float azimuth = u * 2 * kPi;
    return {std::sin(polar) * std::cos(azimuth), std::cos(polar), std::sin(polar) * std::sin(azimuth)};
}

}  // namespace

Ptr<Image> SkyPictures::Sky(const char* fileName)
{
    const int w = kSkyWidth, h = kSkyHeight;
    art::Canvas canvas(w, h);
    const Vector3 moon = NightLight::MoonDirection();
    // The galaxy's band: a great circle tilted across the sky away from the moon.
    const Vector3 bandPole = Vector3{0.55f, 0.45f, -0.70f}.Normalized();
    static const art::ValueNoise haze(0x6A1Au);
    canvas.Shade([&](art::Vec2 c, Color) {
        const Vector3 d = DirectionAt(c.x / static_cast<float>(w), c.y / static_cast<float>(h));
        const float elevation = std::asin(std::clamp(d.y, -1.0f, 1.0f));
        if (elevation < 0)  // Under the horizon the sea covers it; keep the horizon colour.
            return NightLight::kHorizon;
        const float t = std::pow(elevation / (0.5f * kPi), 0.45f);
        Color sky = art::Mix(NightLight::kHorizon, Color(0.006f, 0.010f, 0.030f), t);
        const float toMoon = std::acos(std::clamp(d.Dot(moon), -1.0f, 1.0f));
        const float glow = 0.28f * std::exp(-toMoon * toMoon / (2 * 0.16f * 0.16f)) +
                           0.07f * std::exp(-toMoon * toMoon / (2 * 0.6f * 0.6f));
        sky = Color(sky.r + 0.55f * glow, sky.g + 0.62f * glow, sky.b + 0.75f * glow);
        const float across = d.Dot(bandPole);
        const float band = std::exp(-across * across / (2 * 0.13f * 0.13f)) *
                           (0.35f + 0.65f * haze.Fractal(d.x * 6 + 3, d.z * 6 + d.y * 4, 5));
        const float fade = art::SmoothStep(0.02f, 0.35f, elevation);
        sky = Color(sky.r + 0.045f * band * fade, sky.g + 0.050f * band * fade, sky.b + 0.065f * band * fade);
        return sky;
    });
    // Stars: many faint, few bright, dimmed by the haze near the horizon and by the moon's glow.
    art::Random random(0x57A25u);
    for (int i = 0; i < 3600; ++i) {
        const float u = random.Next();
        const float y = random.Next();                  // Uniform in height: uniform on the sphere.
        const float polar = std::acos(y);                  // Upper hemisphere only.
        const float v = polar / kPi;
        const Vector3 d = DirectionAt(u, v);
        const float elevation = std::asin(d.y);
        const float toMoon = std::acos(std::clamp(d.Dot(moon), -1.0f, 1.0f));
        const float visible = art::SmoothStep(0.03f, 0.4f, elevation) * art::SmoothStep(0.15f, 0.6f, toMoon);
        const float magnitude = std::pow(random.Next(), 6.0f);
        const float brightness = (0.12f + 1.6f * magnitude) * visible;
        if (brightness < 0.03f)
            continue;
        const float tint = random.Next();
        const Color color = tint < 0.2f ? Color(1.0f, 0.85f, 0.7f) : tint > 0.8f ? Color(0.75f, 0.85f, 1.0f) : Color(1, 1, 1);
        const float sigma = 0.36f + 0.3f * magnitude;
        // The map stretches the sky sideways towards the zenith; so do the stars drawn on it.
        const float stretch = 1.0f / std::max(std::sin(polar), 0.08f);
        canvas.Splat({u * static_cast<float>(w), v * static_cast<float>(h)}, std::min(sigma * stretch, 40.0f), sigma,
                     color.WithAlpha(brightness));
    }
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

Ptr<Image> SkyPictures::Moon(const char* fileName)
{
    const int s = kMoonSize;
    art::Canvas canvas(s, s);
    static const art::ValueNoise seas(0x3003u);
    const float radius = 0.30f * static_cast<float>(s);
    const float centre = 0.5f * static_cast<float>(s);
    canvas.Shade([&](art::Vec2 c, Color) {
        const float dx = (c.x - centre) / radius, dy = (c.y - centre) / radius;
        const float r = std::sqrt(dx * dx + dy * dy);
        // The halo: light scattered around the disc, fading to nothing at the picture's edge.
        const float halo = 0.55f * std::exp(-(r - 1) * 2.2f) * (1.0f - art::SmoothStep(1.2f, 1.65f, r));
        if (r > 1.0f) {
            const float a = std::clamp(halo, 0.0f, 1.0f);
            return Color(0.75f, 0.82f, 0.95f, a);
        }
        const float z = std::sqrt(std::max(0.0f, 1 - r * r));
        const float limb = 0.55f + 0.45f * z;
        const float mare = art::SmoothStep(0.5f, 0.72f, seas.Fractal(dx * 1.6f + 5, dy * 1.6f + 1, 5));
        const float grain = seas.Fractal(dx * 14 + 40, dy * 14, 3);
        const float shade = limb * (1.0f - 0.2f * mare) * (0.93f + 0.12f * grain);
        const float edge = 1.0f - art::SmoothStep(0.97f, 1.0f, r);  // A soft rim, no stair steps.
        const Color disc(0.98f * shade, 0.96f * shade, 0.88f * shade, 1.0f);
        return art::Mix(Color(0.75f, 0.82f, 0.95f, halo), disc, edge);
    });
    return canvas.ToImage(Image::kR8G8B8A8, String(fileName));
}

Ptr<Image> SkyPictures::SeaAt(const char* fileName, float phase)
{
    const int s = kSeaSize;
    art::Canvas canvas(s, s);
    const TileNoise swell(0x5EAu, 4);
    const TileNoise chop(0xC40Bu, 16);
    canvas.Shade([&](art::Vec2 c, Color) {
        const float u = c.x / static_cast<float>(s), v = c.y / static_cast<float>(s);
        // Long swells run across the picture; short chop rides on them.
        const float longWaves = swell.Fractal(u + phase, v * 3, 3);
        const float shortWaves = chop.Fractal(u * 2, v + phase, 3);
        const float crest = std::pow(std::clamp(0.5f * longWaves + 0.6f * shortWaves, 0.0f, 1.0f), 5.0f);
        const Color deep(0.018f, 0.040f, 0.065f);
        const Color lit(0.05f, 0.10f, 0.14f);
        Color sea = art::Mix(deep, lit, longWaves);
        sea = Color(sea.r + 0.35f * crest, sea.g + 0.40f * crest, sea.b + 0.48f * crest);
        return sea;
    });
    return canvas.ToImage(Image::kR8G8B8, String(fileName));
}

namespace {

// The sky picture's colour along `d` (0-1 per channel), bilinear, wrapping around the azimuth.
Color SkyAlong(const Image& sky, const Vector3& d)
{
    const int w = static_cast<int>(sky.Width()), h = static_cast<int>(sky.Height());
    const uint32_t bytes = Image::BytesPerPixel(sky.Format());
    float u = std::atan2(d.z, d.x) / (2 * kPi);
    if (u < 0)
        u += 1.0f;
    const float v = std::acos(std::clamp(d.y, -1.0f, 1.0f)) / kPi;
    const float x = u * static_cast<float>(w) - 0.5f, y = std::clamp(v * static_cast<float>(h) - 0.5f, 0.0f, h - 1.0f);
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
    float rgb[3] = {0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        const int px = ((x0 + (k & 1)) % w + w) % w, py = std::min(y0 + (k >> 1), h - 1);
        const float weight = ((k & 1) ? fx : 1 - fx) * ((k >> 1) ? fy : 1 - fy);
        const uint8_t* p = sky.Data() + (static_cast<size_t>(py) * static_cast<size_t>(w) + static_cast<size_t>(px)) * bytes;
        for (int c = 0; c < 3; ++c)
            rgb[c] += weight * p[c] / 255.0f;
    }
    return Color(rgb[0], rgb[1], rgb[2]);
}

uint8_t ToByte(float value)
{
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
}

}  // namespace

Vector3 SkyPictures::CubeDirection(int face, float x, float y, int size)
{
    const float s = 2 * (x + 0.5f) / static_cast<float>(size) - 1, t = 2 * (y + 0.5f) / static_cast<float>(size) - 1;
    Vector3 d;
    switch (face) {
    case 0: d = {1, -t, -s}; break;
    case 1: d = {-1, -t, s}; break;
    case 2: d = {s, 1, t}; break;
    case 3: d = {s, -1, -t}; break;
    case 4: d = {s, -t, 1}; break;
    default: d = {-s, -t, -1}; break;
    }
    return d.Normalized();
}

Ptr<Image> SkyPictures::SeaNormals(const char* fileName)
{
    const int s = kWaveSize;
    // Swells along the wind and chop across it, each a whole number of cycles over the tile.
    const TileNoise swell(0x5EAu, 4);
    const TileNoise chop(0xC40Bu, 16);
    std::vector<float> height(static_cast<size_t>(s) * static_cast<size_t>(s));
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const float u = (x + 0.5f) / static_cast<float>(s), v = (y + 0.5f) / static_cast<float>(s);
            height[static_cast<size_t>(y * s + x)] = 1.0f * swell.Fractal(u, v * 3, 3) + 0.45f * chop.Fractal(u * 2, v, 3);
        }
    auto at = [&](int x, int y) { return height[static_cast<size_t>(((y + s) % s) * s + (x + s) % s)]; };
    Ptr<Image> image = new Image(String(fileName), Image::kR8G8B8, static_cast<uint32_t>(s), static_cast<uint32_t>(s));
    if (!image->Data())
        return nullptr;
    constexpr float kRelief = 9.0f;  // Height units per picture width against the slope seen.
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const float dx = (at(x + 1, y) - at(x - 1, y)) * 0.5f * kRelief;
            const float dy = (at(x, y + 1) - at(x, y - 1)) * 0.5f * kRelief;
            const Vector3 n = Vector3{-dx, -dy, 1}.Normalized();
            uint8_t* p = image->Data() + static_cast<size_t>(y * s + x) * 3;
            p[0] = ToByte(n.x * 0.5f + 0.5f);
            p[1] = ToByte(n.y * 0.5f + 0.5f);
            p[2] = ToByte(n.z * 0.5f + 0.5f);
        }
    return image;
}

Ptr<Image> SkyPictures::CloudDensity(const char* fileName)
{
    const int s = kCloudSize;
    const TileNoise billows(0xC10Du, 4);
    const TileNoise wisps(0x3A5Fu, 16);
    Ptr<Image> image = new Image(String(fileName), Image::kR8G8B8A8, static_cast<uint32_t>(s), static_cast<uint32_t>(s));
    if (!image->Data())
        return nullptr;
    for (int y = 0; y < s; ++y)
        for (int x = 0; x < s; ++x) {
            const float u = (x + 0.5f) / static_cast<float>(s), v = (y + 0.5f) / static_cast<float>(s);
            const float density = 0.75f * billows.Fractal(u, v, 4) + 0.25f * wisps.Fractal(u, v, 2);
            uint8_t* p = image->Data() + static_cast<size_t>(y * s + x) * 4;
            p[0] = p[1] = p[2] = 255;
            p[3] = ToByte(density);
        }
    return image;
}

Ptr<VolumeImage> SkyPictures::SkyCube(const char* fileName, const Image& sky)
{
    if (!sky.Data() || sky.Width() == 0 || sky.Height() == 0 || Image::BytesPerPixel(sky.Format()) < 3)
        return nullptr;
    const int n = kCubeSize;
    Ptr<VolumeImage> cube = new VolumeImage(String(fileName), Image::kR8G8B8, n, n, 6);
    const Vector3 moon = NightLight::MoonDirection();
    // The moon's disc as the dome's moon shows it: 57 m across at 1920 m.
    constexpr float kMoonRadius = 0.0297f;
    constexpr int kSamples = 3;  // Per texel and axis: the stars are finer than a texel.
    for (int face = 0; face < 6; ++face) {
        uint8_t* slice = cube->Slice(static_cast<uint32_t>(face));
        if (!slice)
            return nullptr;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                float rgb[3] = {0, 0, 0};
                for (int j = 0; j < kSamples; ++j)
                    for (int i = 0; i < kSamples; ++i) {
                        const Vector3 d = CubeDirection(face, x - 0.5f + (i + 0.5f) / kSamples,
                                                        y - 0.5f + (j + 0.5f) / kSamples, n);
                        Color c = SkyAlong(sky, d);
                        const float apart = std::acos(std::clamp(d.Dot(moon), -1.0f, 1.0f));
                        const float disc = 1.0f - art::SmoothStep(kMoonRadius * 0.9f, kMoonRadius, apart);
                        c = art::Mix(c, Color(0.98f, 0.96f, 0.88f), disc);
                        rgb[0] += c.r, rgb[1] += c.g, rgb[2] += c.b;
                    }
                uint8_t* p = slice + static_cast<size_t>(y * n + x) * 3;
                for (int k = 0; k < 3; ++k)
                    p[k] = ToByte(rgb[k] / (kSamples * kSamples));
            }
    }
    return cube;
}

}  // namespace zen::scene
