#pragma once
#include <cmath>

#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"

namespace zen {

// The blends animation controllers use between two keys (by the key fraction) and between the
// accumulated value and a stage's value (by the stage weight): t = 0 gives `a`, t = 1 gives `b`.

inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }

inline Vector3 Lerp(const Vector3& a, const Vector3& b, float t)
{
    return {Lerp(a.x, b.x, t), Lerp(a.y, b.y, t), Lerp(a.z, b.z, t)};
}

inline Vector4 Lerp(const Vector4& a, const Vector4& b, float t)
{
    return {Lerp(a.x, b.x, t), Lerp(a.y, b.y, t), Lerp(a.z, b.z, t), Lerp(a.w, b.w, t)};
}

// Spherical interpolation along the shorter arc. Rotations closer than float precision (and
// inputs too far from unit length for acos) give `p`, so the result is never a division by a
// vanishing sine.
inline Quaternion Slerp(float t, const Quaternion& p, const Quaternion& q)
{
    constexpr float kEpsilon = 1.1920929e-7f;
    float d = p.x * q.x + p.y * q.y + p.z * q.z + p.w * q.w;
    float sign = 1.0f;
    if (d < 0) {
        d = -d;
        sign = -1.0f;
    }
    if (!(1.0f - d > kEpsilon))
        return p;
    // The ends need no trigonometry: the weights are exactly 1 and 0 there (sin 0 = 0, and
    // sin theta / sin theta = 1), so these give the same values as the general case.
    if (t == 0.0f)
        return p;
    if (t == 1.0f)
        return {sign * q.x, sign * q.y, sign * q.z, sign * q.w};
    const float theta = std::acos(d);
    const float sine = std::sin(theta);
    const float a = std::sin((1.0f - t) * theta) / sine;
    const float b = sign * std::sin(t * theta) / sine;
    return {p.x * a + q.x * b, p.y * a + q.y * b, p.z * a + q.z * b, p.w * a + q.w * b};
}

}  // namespace zen
