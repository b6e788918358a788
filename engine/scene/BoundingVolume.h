#pragma once
#include <cstdint>

#include "engine/core/Object.h"
#include "engine/core/Vector3.h"
#include "engine/scene/Plane.h"
#include "engine/scene/Ray.h"
#include "engine/scene/Transform.h"

namespace zen {

class Vector3Buffer;

// A volume that encloses a node or its geometry ("ZEN.BoundingVolume", abstract): culling
// tests it against the view-volume planes, parents merge their children's, and blended
// geometry is sorted by its centre. The sphere is the one kind; nodes create theirs with
// Create(kind) so that files can name the kind.
class BoundingVolume : public Object {
    ZEN_DECLARE_CLASS

public:
    enum Kind : int32_t { kSphere = 0 };

    // A new, unreferenced volume of `kind`; null for an unknown kind or when out of memory.
    static BoundingVolume* CreateOfKind(int32_t kind);

    // Results are kSuccess, or kInvalidArgument (with a warning) for a null or empty argument.
    virtual int32_t GetType() const = 0;
    // Encloses the points of `vertices`.
    virtual Result ComputeFromVertices(const Vector3Buffer* vertices) = 0;
    virtual Result CopyFrom(const BoundingVolume* other) = 0;
    // True when the ray's line meets the volume; tFar and tNear are the parameters where it
    // leaves and enters (tNear may be negative when the origin is inside or past it).
    virtual bool IntersectsRay(const Ray& ray, float& tFar, float& tNear) const = 0;
    virtual bool IntersectsVolume(const BoundingVolume* other) const = 0;
    // Grows this volume so that it also encloses `other`.
    virtual Result Merge(const BoundingVolume* other) = 0;
    // Writes this volume, carried by `transform`, into `target` (which may be this one).
    virtual Result TransformTo(const Transform& transform, BoundingVolume* target) const = 0;
    // -1 wholly on the negative side of the plane, +1 wholly on the positive side, 0 across it.
    virtual int32_t WhichSide(const Plane& plane) const = 0;
    virtual Vector3 GetCenter() const = 0;

protected:
    BoundingVolume() = default;
};

}  // namespace zen
