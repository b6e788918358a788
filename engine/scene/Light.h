#pragma once
#include <cstdint>

#include "engine/core/Vector3.h"
#include "engine/core/Vector4.h"
#include "engine/scene/DeviceLight.h"
#include "engine/scene/Node.h"

namespace zen {

// A fixed-function light ("ZEN.Light"): a node whose world position and forward axis place
// it. Passes that light geometry push it on the renderer's state stack, which sets it on the
// device through ToDeviceLight.
class Light : public Node {
    ZEN_DECLARE_CLASS

public:
    enum Type : int32_t {
        kFixedDirectional = 0,  // Along (0, 0, 1) whatever the node's rotation.
        kDirectional = 1,       // Along the node's forward axis.
        kPoint = 2,             // From the node's world position.
        kSpot = 3,              // From the position along the forward axis.
    };
    static constexpr float kDefaultSpotAngle = 0.7853982f;  // pi / 4

    explicit Light(int32_t type = kFixedDirectional);

    // The device light: kind and placement from the type (a type outside 0..3, which only a
    // damaged file gives, is taken as a spot); inner cone 2 x spotAngle, outer 2.1 x spotAngle;
    // attenuation (1, 0, 0) unless enabled; range sqrt(FLT_MAX) always.
    DeviceLight ToDeviceLight() const;

    // Turns the light to shine along `direction` (Transform::LookRotation) by setting its local
    // rotation; the transform's flags are cleared. kInvalidArgument for a zero direction.
    Result SetDirection(const Vector3& direction);

    // Parameters
    int32_t GetType() const { return m_type; }
    void SetType(int32_t type) { m_type = type; }
    const Vector4& Ambient() const { return m_ambient; }
    const Vector4& Diffuse() const { return m_diffuse; }
    const Vector4& Specular() const { return m_specular; }
    void SetColors(const Vector4& ambient, const Vector4& diffuse, const Vector4& specular)
    {
        m_ambient = ambient;
        m_diffuse = diffuse;
        m_specular = specular;
    }
    const Vector3& Attenuation() const { return m_attenuation; }  // Constant, linear, quadratic.
    bool AttenuationEnabled() const { return m_attenuationEnable; }
    void SetAttenuation(const Vector3& attenuation, bool enable)
    {
        m_attenuation = attenuation;
        m_attenuationEnable = enable;
    }
    float Falloff() const { return m_falloff; }
    float SpotAngle() const { return m_spotAngle; }  // Half angle, radians.
    void SetSpot(float falloff, float spotAngle)
    {
        m_falloff = falloff;
        m_spotAngle = spotAngle;
    }

    // Stream: type, the three colours, attenuation, its flag, falloff, spot angle.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    int32_t m_type;
    Vector4 m_ambient{0, 0, 0, 1};
    Vector4 m_diffuse{0, 0, 0, 1};
    Vector4 m_specular{0, 0, 0, 1};
    Vector3 m_attenuation{1, 0, 0};
    bool m_attenuationEnable = false;  // False: the device light gets (1, 0, 0).
    float m_falloff = 1.0f;
    float m_spotAngle = kDefaultSpotAngle;
};

}  // namespace zen
