#include "engine/scene/SphereBoundingVolume.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SphereBoundingVolume, BoundingVolume, kStartupCoreClasses)

namespace {

// The axis-aligned box of `count` (>= 1) points, with packed single-precision min/max (x86-64
// always has them, so there is no second, scalar path). Each point is loaded as four floats,
// so the last one is loaded on its own to stay inside the buffer.
void ComputeBox(const Vector3* points, uint32_t count, Vector3& low, Vector3& high)
{
    const auto load = [](const Vector3& p) { return _mm_set_ps(0.0f, p.z, p.y, p.x); };
    __m128 lo = load(points[count - 1]);
    __m128 hi = lo;
    const float* data = &points[0].x;
    for (uint32_t i = 0; i + 1 < count; ++i) {
        const __m128 p = _mm_loadu_ps(data + 3 * static_cast<size_t>(i));  // x, y, z, next x
        lo = _mm_min_ps(lo, p);
        hi = _mm_max_ps(hi, p);
    }
    alignas(16) float l[4];
    alignas(16) float h[4];
    _mm_store_ps(l, lo);
    _mm_store_ps(h, hi);
    low = {l[0], l[1], l[2]};
    high = {h[0], h[1], h[2]};
}

const SphereBoundingVolume* AsSphere(const BoundingVolume* volume)
{
    return volume && volume->GetType() == BoundingVolume::kSphere ? static_cast<const SphereBoundingVolume*>(volume)
                                                                    : nullptr;
}

}  // namespace

Result SphereBoundingVolume::ComputeFromVertices(const Vector3Buffer* vertices)
{
    if (!vertices) {
        Warning("Указатель на вершины равен 0 при генерации. Имя[%s] ID[%d].", m_name.CStr(), ID());
        return kInvalidArgument;
    }
    const uint32_t count = vertices->GetCount();
    const Vector3* points = vertices->Data();
    if (count == 0 || !points) {
        Warning("Нет вершин в буффере при генерации объёма. Имя[%s] ID[%d].", m_name.CStr(), ID());
        return kInvalidArgument;
    }
    Vector3 low, high;
    ComputeBox(points, count, low, high);
    const Vector3 center = (low + high) * 0.5f;
    float largest = 0;
    for (uint32_t i = 0; i < count; ++i)
        largest = std::max(largest, (points[i] - center).LengthSquared());
    m_center = center;
    m_radius = std::sqrt(largest);
    return kSuccess;
}

Result SphereBoundingVolume::CopyFrom(const BoundingVolume* other)
{
    if (!other) {
        Warning("Указатель на объём равен 0 при генерации. Имя[%s] ID[%d].", m_name.CStr(), ID());
        return kInvalidArgument;
    }
    const SphereBoundingVolume* sphere = AsSphere(other);
    m_center = other->GetCenter();
    m_radius = sphere ? sphere->m_radius : 0.0f;
    return kSuccess;
}

bool SphereBoundingVolume::IntersectsRay(const Ray& ray, float& tFar, float& tNear) const
{
    const Vector3 m = ray.origin - m_center;
    const float b = m.Dot(ray.direction);
    const float c = m.LengthSquared() - m_radius * m_radius;
    const float disc = b * b - c;
    if (disc < 0)
        return false;
    const float root = std::sqrt(disc);
    tFar = -b + root;
    tNear = -b - root;
    return true;
}

bool SphereBoundingVolume::IntersectsVolume(const BoundingVolume* other) const
{
    const SphereBoundingVolume* sphere = AsSphere(other);
    if (!sphere)
        return false;
    const float reach = m_radius + sphere->m_radius;
    return (m_center - sphere->m_center).LengthSquared() <= reach * reach;
}

Result SphereBoundingVolume::Merge(const BoundingVolume* other)
{
    if (!other) {
        Warning("Указатель на объём равен 0 при слиянии. Имя[%s] ID[%d].", m_name.CStr(), ID());
        return kInvalidArgument;
    }
    const SphereBoundingVolume* sphere = AsSphere(other);
    const Vector3 otherCenter = other->GetCenter();
    const float otherRadius = sphere ? sphere->m_radius : 0.0f;
    const Vector3 d = otherCenter - m_center;
    const float dr = otherRadius - m_radius;
    const float lengthSquared = d.LengthSquared();
    if (dr * dr < lengthSquared) {
        // Neither contains the other: the smallest sphere around both. L > |dr| >= 0 here.
        const float length = std::sqrt(lengthSquared);
        m_center += d * ((length + dr) / (2.0f * length));
        m_radius = (length + m_radius + otherRadius) * 0.5f;
    } else if (dr >= 0) {
        m_center = otherCenter;
        m_radius = otherRadius;
    }
    return kSuccess;
}

Result SphereBoundingVolume::TransformTo(const Transform& transform, BoundingVolume* target) const
{
    if (!target) {
        Warning("Указатель на объём равен 0 при трансформации. Имя[%s] ID[%d].", m_name.CStr(), ID());
        return kInvalidArgument;
    }
    const Vector3 center = transform.ApplyToPoint(m_center);
    float radius = m_radius;
    if (!transform.isIdentity) {
        const Vector3& s = transform.scale;
        radius *= std::max({std::fabs(s.x), std::fabs(s.y), std::fabs(s.z)});
    }
    // Written in place: a temporary sphere would be an Object and take an ID every frame.
    if (target->GetType() != kSphere)
        return kInvalidArgument;
    static_cast<SphereBoundingVolume*>(target)->Set(center, radius);
    return kSuccess;
}

int32_t SphereBoundingVolume::WhichSide(const Plane& plane) const
{
    const float s = plane.DistanceTo(m_center);
    if (s <= -m_radius)
        return -1;
    if (s >= m_radius)
        return 1;
    return 0;
}

Result SphereBoundingVolume::Save(Stream& stream)
{
    if (BoundingVolume::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteVector3(m_center);
    if (stream.WriteFloat(m_radius) != kSuccess) {
        Error("Невозможно сохранить данные окружающего объёма. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result SphereBoundingVolume::Load(Stream& stream)
{
    if (BoundingVolume::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Vector3 center;
    float radius = 0;
    stream.ReadVector3(center);
    if (stream.ReadFloat(radius) != kSuccess) {
        Error("Невозможно загрузить данные окружающего объёма. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    m_center = center;
    m_radius = radius;
    return kSuccess;
}

}  // namespace zen
