#include "engine/particles/PointEmitter.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Random.h"
#include "engine/core/Stream.h"
#include "engine/scene/Node.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(PointEmitter, Emitter, kStartupOtherClasses)

namespace {

constexpr float kTwoPi = 6.2831853f;

// At least 0; a value that is not a finite number gives 0, so no direction becomes NaN.
float NonNegative(float value)
{
    return std::isfinite(value) && value > 0.0f ? value : 0.0f;
}

}  // namespace

void PointEmitter::SetAngles(float minAngle, float maxAngle)
{
    m_maxAngle = NonNegative(maxAngle);
    m_minAngle = NonNegative(minAngle);
    if (m_minAngle > m_maxAngle)
        m_minAngle = m_maxAngle;
}

Vector3 PointEmitter::DrawLocalDirection() const
{
    const float phi = Random::Unit() * kTwoPi;
    const float theta = m_minAngle + Random::Unit() * (m_maxAngle - m_minAngle);
    const float sinTheta = std::sin(theta);
    return {std::sin(phi) * sinTheta, std::cos(theta), std::cos(phi) * sinTheta};
}

bool PointEmitter::Emit(Vector3& position, Vector3& direction)
{
    const Vector3 local = DrawLocalDirection();
    if (m_owner) {
        position = m_owner->WorldTransform().translation;
        direction = m_owner->WorldTransform().ApplyToVector(local).Normalized();
    } else {
        position = Vector3{};
        direction = local.Normalized();
    }
    return true;
}

Result PointEmitter::Save(Stream& stream)
{
    if (Emitter::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteFloat(m_maxAngle) != kSuccess || stream.WriteFloat(m_minAngle) != kSuccess) {
        Error("Невозможно сохранить данные системы частиц. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result PointEmitter::Load(Stream& stream)
{
    if (Emitter::Load(stream) != kSuccess)
        return ParentLoadFailed();
    float maxAngle = 0, minAngle = 0;
    if (stream.ReadFloat(maxAngle) != kSuccess || stream.ReadFloat(minAngle) != kSuccess) {
        Error("Невозможно загрузить данные системы частиц. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    // The maximum first, kept at least at the current minimum; then the minimum, at most the
    // new maximum.
    m_maxAngle = NonNegative(maxAngle);
    if (m_maxAngle < m_minAngle)
        m_maxAngle = m_minAngle;
    m_minAngle = NonNegative(minAngle);
    if (m_minAngle > m_maxAngle)
        m_minAngle = m_maxAngle;
    return kSuccess;
}

}  // namespace zen
