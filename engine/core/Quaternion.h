#pragma once
#include "engine/core/Vector3.h"

namespace zen {

// Rotation quaternion stored as (x, y, z, w); the identity is (0, 0, 0, 1).
struct Quaternion {
    float x = 0, y = 0, z = 0, w = 1;

    // Hamilton product: the rotation `o` followed by this one.
    Quaternion operator*(const Quaternion& o) const
    {
        return {w * o.x + x * o.w + y * o.z - z * o.y,
                w * o.y - x * o.z + y * o.w + z * o.x,
                w * o.z + x * o.y - y * o.x + z * o.w,
                w * o.w - x * o.x - y * o.y - z * o.z};
    }

    // Rotates v by this (unit) quaternion.
    Vector3 Rotate(const Vector3& v) const
    {
        const Vector3 u{x, y, z};
        const Vector3 t = u.Cross(v) * 2.0f;
        return v + t * w + u.Cross(t);
    }

    friend bool operator==(const Quaternion&, const Quaternion&) = default;
};

}  // namespace zen
