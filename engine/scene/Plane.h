#pragma once
#include "engine/core/Vector3.h"

namespace zen {

// A plane n . x = d with a unit normal n. The side the normal points to is positive; for the
// planes of a view volume that is the inside.
struct Plane {
    Vector3 normal{0, 0, 1};
    float distance = 0;  // d: the signed distance of the plane from the origin along the normal.

    // Signed distance of `p` from the plane; positive on the normal's side.
    float DistanceTo(const Vector3& p) const { return normal.Dot(p) - distance; }

    // The plane through a, b and c with normal normalise((b - a) x (c - a)). Collinear points
    // give the zero normal and d = 0.
    static Plane Through(const Vector3& a, const Vector3& b, const Vector3& c)
    {
        Plane plane;
        plane.normal = (b - a).Cross(c - a).Normalized();
        plane.distance = plane.normal.Dot(a);
        return plane;
    }
};

}  // namespace zen
