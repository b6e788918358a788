#include "engine/scene/Transform.h"

#include <cmath>

namespace zen {

void Transform::SetScale(const Vector3& value)
{
    scale = value;
    isIdentity = false;
}

void Transform::SetRotation(const Quaternion& value)
{
    rotation = value;
    isIdentity = false;
    noRotation = false;
}

void Transform::SetTranslation(const Vector3& value)
{
    translation = value;
    isIdentity = false;
}

void Transform::MakeIdentity()
{
    *this = Transform{};
}

Transform Transform::Compose(const Transform& parent, const Transform& child)
{
    if (parent.isIdentity)
        return child;
    if (child.isIdentity)
        return parent;
    Transform result;
    result.scale = parent.scale.Scaled(child.scale);
    result.translation = parent.ApplyToPoint(child.translation);
    if (parent.noRotation)
        result.rotation = child.rotation;
    else if (child.noRotation)
        result.rotation = parent.rotation;
    else
        result.rotation = parent.rotation * child.rotation;
    result.isIdentity = false;
    result.noRotation = false;
    return result;
}

Vector3 Transform::ApplyToPoint(const Vector3& p) const
{
    if (isIdentity)
        return p;
    return ApplyToVector(p) + translation;
}

Vector3 Transform::ApplyToVector(const Vector3& v) const
{
    if (isIdentity)
        return v;
    const Vector3 scaled = v.Scaled(scale);
    return noRotation ? scaled : rotation.Rotate(scaled);
}

Vector3 Transform::ApplyInverseToPoint(const Vector3& p) const
{
    if (isIdentity)
        return p;
    Vector3 v = p - translation;
    if (!noRotation) {
        const Quaternion inverse{-rotation.x, -rotation.y, -rotation.z, rotation.w};
        v = inverse.Rotate(v);
    }
    return {scale.x != 0 ? v.x / scale.x : 0, scale.y != 0 ? v.y / scale.y : 0, scale.z != 0 ? v.z / scale.z : 0};
}

bool Transform::LookRotation(const Vector3& direction, Quaternion& out)
{
    const Vector3 forward = direction.Normalized();
    if (forward.LengthSquared() == 0 || !std::isfinite(forward.x + forward.y + forward.z))
        return false;
    Vector3 right = Vector3{0, 1, 0}.Cross(forward).Normalized();
    if (right.LengthSquared() == 0) {
        // Within a hair of straight up or down: the x axis, less its part along forward, so the
        // axes stay orthonormal and the rotation still looks exactly along the direction.
        right = (Vector3{1, 0, 0} - forward * forward.x).Normalized();
    }
    const Vector3 up = forward.Cross(right).Normalized();
    out = Quaternion::FromAxes(right, up, forward);
    return true;
}

Matrix4 Transform::ToMatrix() const
{
    Matrix4 result;
    if (isIdentity)
        return result;
    const Vector3 rows[3] = {Right() * scale.x, Up() * scale.y, Forward() * scale.z};
    for (int i = 0; i < 3; ++i) {
        result.m[i][0] = rows[i].x;
        result.m[i][1] = rows[i].y;
        result.m[i][2] = rows[i].z;
        result.m[i][3] = 0;
    }
    result.m[3][0] = translation.x;
    result.m[3][1] = translation.y;
    result.m[3][2] = translation.z;
    result.m[3][3] = 1;
    return result;
}

}  // namespace zen
