#pragma once
#include "engine/scene/BoundingVolume.h"

namespace zen {

// The sphere bound ("ZEN.SphereBoundingVolume"): a centre and a radius. Built from points it is
// the sphere around the centre of their axis-aligned box that reaches the farthest point (not
// the smallest enclosing sphere). Streams its centre and radius.
class SphereBoundingVolume : public BoundingVolume {
    ZEN_DECLARE_CLASS

public:
    SphereBoundingVolume() = default;
    SphereBoundingVolume(const Vector3& center, float radius) : m_center(center), m_radius(radius) {}

    int32_t GetType() const override { return kSphere; }
    Result ComputeFromVertices(const Vector3Buffer* vertices) override;
    Result CopyFrom(const BoundingVolume* other) override;
    bool IntersectsRay(const Ray& ray, float& tFar, float& tNear) const override;
    bool IntersectsVolume(const BoundingVolume* other) const override;
    Result Merge(const BoundingVolume* other) override;
    // The radius grows by the largest absolute scale component, so the result still encloses
    // everything the sphere enclosed under any scale.
    Result TransformTo(const Transform& transform, BoundingVolume* target) const override;
    // s = n . center - d: s <= -radius gives -1, s >= radius gives +1 (touching counts as outside
    // or wholly inside respectively), else 0.
    int32_t WhichSide(const Plane& plane) const override;
    Vector3 GetCenter() const override { return m_center; }

    float Radius() const { return m_radius; }
    void Set(const Vector3& center, float radius)
    {
        m_center = center;
        m_radius = radius;
    }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    Vector3 m_center{};
    float m_radius = 0;
};

}  // namespace zen
