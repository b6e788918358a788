#pragma once
#include <cmath>

namespace zen::art {

// A point or direction on a picture, in pixels (x to the right, y downwards) or in whatever
// units a drawing routine documents.
struct Vec2 {
    float x = 0;
    float y = 0;

    constexpr Vec2() = default;
    constexpr Vec2(float ax, float ay) : x(ax), y(ay) {}

    constexpr Vec2 operator+(Vec2 o) const { return {x + o.x, y + o.y}; }
    constexpr Vec2 operator-(Vec2 o) const { return {x - o.x, y - o.y}; }
    constexpr Vec2 operator*(float s) const { return {x * s, y * s}; }
    constexpr Vec2 operator/(float s) const { return {x / s, y / s}; }
    constexpr Vec2& operator+=(Vec2 o) { x += o.x; y += o.y; return *this; }
    constexpr bool operator==(const Vec2&) const = default;

    float Length() const { return std::sqrt(x * x + y * y); }
};

constexpr float Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
constexpr Vec2 Lerp(Vec2 a, Vec2 b, float t) { return a + (b - a) * t; }
// The point at `degrees` on an ellipse around `centre`, angles counter-clockwise as seen on the
// picture (0 to the right, 90 up, since y grows downwards).
inline Vec2 PointOnEllipse(Vec2 centre, float rx, float ry, float degrees)
{
    const float a = degrees * 3.14159265358979f / 180.0f;
    return {centre.x + rx * std::cos(a), centre.y - ry * std::sin(a)};
}

}  // namespace zen::art
