#pragma once
#include <cmath>

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

    // The rows of the rotation matrix in the row-vector convention (the images of the x, y and
    // z axes): a node's right, up and forward directions.
    Vector3 AxisX() const { return {1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)}; }
    Vector3 AxisY() const { return {2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)}; }
    Vector3 AxisZ() const { return {2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)}; }

    // The rotation whose matrix rows are the orthonormal axes `right`, `up`, `forward` (the
    // inverse of AxisX/AxisY/AxisZ). The result is normalised; its sign is not fixed.
    static Quaternion FromAxes(const Vector3& right, const Vector3& up, const Vector3& forward)
    {
        // m[i][j]: row i, column j of the row-vector matrix; the column-vector matrix is its transpose.
        const float m00 = right.x, m01 = right.y, m02 = right.z;
        const float m10 = up.x, m11 = up.y, m12 = up.z;
        const float m20 = forward.x, m21 = forward.y, m22 = forward.z;
        Quaternion q;
        const float trace = m00 + m11 + m22;
        if (trace > 0) {
            const float s = std::sqrt(trace + 1.0f) * 2.0f;  // 4w
            q = {(m12 - m21) / s, (m20 - m02) / s, (m01 - m10) / s, 0.25f * s};
        } else if (m00 > m11 && m00 > m22) {
            const float s = std::sqrt(1.0f + m00 - m11 - m22) * 2.0f;  // 4x
            q = {0.25f * s, (m01 + m10) / s, (m02 + m20) / s, (m12 - m21) / s};
        } else if (m11 > m22) {
            const float s = std::sqrt(1.0f + m11 - m00 - m22) * 2.0f;  // 4y
            q = {(m01 + m10) / s, 0.25f * s, (m12 + m21) / s, (m20 - m02) / s};
        } else {
            const float s = std::sqrt(1.0f + m22 - m00 - m11) * 2.0f;  // 4z
            q = {(m02 + m20) / s, (m12 + m21) / s, 0.25f * s, (m01 - m10) / s};
        }
        const float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
        if (!(length > 0))
            return Quaternion{};
        return {q.x / length, q.y / length, q.z / length, q.w / length};
    }

    friend bool operator==(const Quaternion&, const Quaternion&) = default;
};

}  // namespace zen
