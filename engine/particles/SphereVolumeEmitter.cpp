#include "engine/particles/SphereVolumeEmitter.h"

#include <algorithm>
#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Random.h"
#include "engine/core/Stream.h"
#include "engine/scene/Node.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SphereVolumeEmitter, PointEmitter, kStartupOtherClasses)

namespace {

constexpr float kTwoPi = 6.2831853f;

}  // namespace

bool SphereVolumeEmitter::Emit(Vector3& position, Vector3& direction)
{
    Vector3 center;
    (void)PointEmitter::Emit(center, direction);
    const float cosPolar = Random::Unit() * 2.0f - 1.0f;
    const float azimuth = Random::Unit() * kTwoPi;
    const float distance = m_radius * std::cbrt(Random::Unit());
    const float sinPolar = std::sqrt(std::max(0.0f, 1.0f - cosPolar * cosPolar));
    const Vector3 offset{std::cos(azimuth) * sinPolar, cosPolar, std::sin(azimuth) * sinPolar};
    position = center + offset * distance;
    return true;
}

Result SphereVolumeEmitter::Save(Stream& stream)
{
    if (PointEmitter::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteFloat(m_radius) != kSuccess) {
        Error("Невозможно сохранить радиус эмиттера. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result SphereVolumeEmitter::Load(Stream& stream)
{
    if (PointEmitter::Load(stream) != kSuccess)
        return ParentLoadFailed();
    float radius = 0;
    if (stream.ReadFloat(radius) != kSuccess) {
        Error("Невозможно загрузить радиус эмиттера. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    if (!std::isfinite(radius))
        Warning("Недопустимый радиус эмиттера, принят 0. ID[%d] Имя[%s]", ID(), Name().CStr());
    SetRadius(radius);
    return kSuccess;
}

}  // namespace zen
