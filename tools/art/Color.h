#pragma once
#include <algorithm>

namespace zen::art {

// A colour with straight (not premultiplied) alpha, each channel nominally 0..1. Light can
// exceed 1 while pictures are being built; values are clamped only when a picture is stored.
struct Color {
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 1;

    constexpr Color() = default;
    constexpr Color(float red, float green, float blue, float alpha = 1) : r(red), g(green), b(blue), a(alpha) {}

    // 0xRRGGBB.
    static constexpr Color FromHex(unsigned rgb, float alpha = 1)
    {
        return {static_cast<float>((rgb >> 16) & 0xFF) / 255.0f, static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
                static_cast<float>(rgb & 0xFF) / 255.0f, alpha};
    }

    constexpr Color WithAlpha(float alpha) const { return {r, g, b, alpha}; }
    constexpr Color Scaled(float s) const { return {r * s, g * s, b * s, a}; }
    constexpr bool operator==(const Color&) const = default;
};

// Channel-wise blend, alpha included.
constexpr Color Mix(const Color& x, const Color& y, float t)
{
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}

constexpr float Clamp01(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

// Hermite ease between edge0 and edge1 (0 below, 1 above).
constexpr float SmoothStep(float edge0, float edge1, float v)
{
    const float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

}  // namespace zen::art
