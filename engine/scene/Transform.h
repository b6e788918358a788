#pragma once
#include "engine/core/Matrix4.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

namespace zen {

// Placement of a node: a point p maps to rotation * (scale (*) p) + translation. The two flags
// let the update skip work; code that changes a component clears isIdentity (and noRotation
// when it changes the rotation). A transform read from a stream has both flags false. The
// setters below keep the flags right; code that writes the fields directly must clear them.
struct Transform {
    Vector3 scale{1, 1, 1};
    Quaternion rotation{};
    Vector3 translation{};
    bool isIdentity = true;
    bool noRotation = true;

    // Components (each clears isIdentity; SetRotation also clears noRotation).
    void SetScale(const Vector3& value);
    void SetRotation(const Quaternion& value);
    void SetTranslation(const Vector3& value);
    void MakeIdentity();  // Back to the defaults, both flags set.

    // The placement of `child` inside `parent`: scales multiply, the child's translation is
    // mapped through the whole parent, rotations compose (parent after child). Either side
    // being the identity gives a copy of the other, flags included; otherwise both flags of
    // the result are false.
    static Transform Compose(const Transform& parent, const Transform& child);

    Vector3 ApplyToPoint(const Vector3& p) const;   // Scale, rotate, translate.
    Vector3 ApplyToVector(const Vector3& v) const;  // Scale and rotate, no translation.
    // Undoes ApplyToPoint: (rotation^-1 * (p - translation)) / scale. A zero scale component
    // maps that coordinate to 0 rather than dividing by it.
    Vector3 ApplyInverseToPoint(const Vector3& p) const;

    // The row-vector matrix the renderer takes: rotation rows scaled by scale.x, .y, .z, the
    // translation in row 3.
    Matrix4 ToMatrix() const;
    // The rotation that turns the forward axis (0, 0, 1) onto `direction` with the world up
    // (0, 1, 0) kept upward: forward = normalise(direction), right = normalise(up x forward),
    // up = forward x right. Looking straight up or down, where up x forward vanishes, takes
    // right = (1, 0, 0) made orthogonal to forward. False (and `out` untouched) for a zero or non-finite direction.
    static bool LookRotation(const Vector3& direction, Quaternion& out);

    // The right, up and forward axes of the rotation (rows of its matrix, unscaled).
    Vector3 Right() const { return noRotation ? Vector3{1, 0, 0} : rotation.AxisX(); }
    Vector3 Up() const { return noRotation ? Vector3{0, 1, 0} : rotation.AxisY(); }
    Vector3 Forward() const { return noRotation ? Vector3{0, 0, 1} : rotation.AxisZ(); }
};

}  // namespace zen
