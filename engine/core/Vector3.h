#pragma once
#include <cmath>

namespace zen {

// Three floats (x, y, z); points, directions and per-axis scales.
struct Vector3 {
    float x = 0, y = 0, z = 0;

    Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vector3 operator-() const { return {-x, -y, -z}; }
    Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
    Vector3& operator+=(const Vector3& o) { x += o.x; y += o.y; z += o.z; return *this; }
    Vector3& operator-=(const Vector3& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
    Vector3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    Vector3 Scaled(const Vector3& o) const { return {x * o.x, y * o.y, z * o.z}; }  // Component-wise.

    float Dot(const Vector3& o) const { return x * o.x + y * o.y + z * o.z; }
    Vector3 Cross(const Vector3& o) const { return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x}; }
    float LengthSquared() const { return Dot(*this); }
    float Length() const { return std::sqrt(LengthSquared()); }
    // This vector divided by its length; (0, 0, 0) when the squared length is below
    // kNormalizeEpsilon (too short to give a direction).
    static constexpr float kNormalizeEpsilon = 1.1920929e-07f;
    Vector3 Normalized() const
    {
        const float squared = LengthSquared();
        if (!(squared >= kNormalizeEpsilon))
            return {};
        const float length = std::sqrt(squared);
        return {x / length, y / length, z / length};
    }

    friend bool operator==(const Vector3&, const Vector3&) = default;
};

}  // namespace zen
