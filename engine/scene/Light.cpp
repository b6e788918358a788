#include "engine/scene/Light.h"

#include <cfloat>
#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Light, Node, kStartupOtherClasses)

Light::Light(int32_t type) : m_type(type) {}

DeviceLight Light::ToDeviceLight() const
{
    DeviceLight light;
    switch (m_type) {
    case kFixedDirectional:
        light.type = DeviceLight::kDirectional;
        light.direction = {0, 0, 1};
        break;
    case kDirectional:
        light.type = DeviceLight::kDirectional;
        light.direction = m_world.Forward();
        break;
    case kPoint:
        light.type = DeviceLight::kPoint;
        light.position = m_world.translation;
        break;
    default:  // kSpot
        light.type = DeviceLight::kSpot;
        light.position = m_world.translation;
        light.direction = m_world.Forward();
        light.falloff = m_falloff;
        light.innerCone = 2.0f * m_spotAngle;
        light.outerCone = 2.1f * m_spotAngle;
        break;
    }
    light.diffuse = m_diffuse;
    light.specular = m_specular;
    light.ambient = m_ambient;
    light.range = std::sqrt(FLT_MAX);
    if (m_attenuationEnable) {
        light.attenuation0 = m_attenuation.x;
        light.attenuation1 = m_attenuation.y;
        light.attenuation2 = m_attenuation.z;
    }
    return light;
}

Result Light::SetDirection(const Vector3& direction)
{
    Quaternion rotation;
    if (!Transform::LookRotation(direction, rotation))
        return kInvalidArgument;
    m_local.SetRotation(rotation);
    return kSuccess;
}

Result Light::Save(Stream& stream)
{
    if (Node::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteInt(m_type);
    stream.WriteVector4(m_ambient);
    stream.WriteVector4(m_diffuse);
    stream.WriteVector4(m_specular);
    stream.WriteFloat(m_attenuation.x);
    stream.WriteFloat(m_attenuation.y);
    stream.WriteFloat(m_attenuation.z);
    stream.WriteBool(m_attenuationEnable);
    stream.WriteFloat(m_falloff);
    if (stream.WriteFloat(m_spotAngle) != kSuccess) {
        Error("Невозможно сохранить данные источника света. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Light::Load(Stream& stream)
{
    if (Node::Load(stream) != kSuccess)
        return ParentLoadFailed();
    int32_t type = 0;
    Vector4 ambient, diffuse, specular;
    Vector3 attenuation;
    bool enable = false;
    float falloff = 0, spotAngle = 0;
    stream.ReadInt(type);
    stream.ReadVector4(ambient);
    stream.ReadVector4(diffuse);
    stream.ReadVector4(specular);
    stream.ReadFloat(attenuation.x);
    stream.ReadFloat(attenuation.y);
    stream.ReadFloat(attenuation.z);
    stream.ReadBool(enable);
    stream.ReadFloat(falloff);
    if (stream.ReadFloat(spotAngle) != kSuccess) {
        Error("Невозможно загрузить данные источника света. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    m_type = type;
    SetColors(ambient, diffuse, specular);
    SetAttenuation(attenuation, enable);
    SetSpot(falloff, spotAngle);
    return kSuccess;
}

}  // namespace zen
