#include "engine/scene/EffectLighting.h"

#include <cmath>

#include "engine/core/Matrix4.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/GeometryNodeEffect.h"

namespace zen {

namespace {

constexpr float kLog2E = 1.44269504f;

Vector4 Times(const Vector4& a, const Vector4& b)
{
    return {a.x * b.x, a.y * b.y, a.z * b.z, a.w * b.w};
}

Vector4 Rgb(const Vector4& v, float w)
{
    return {v.x, v.y, v.z, w};
}

// The row vector (x, y, z, w) times `m`, with the vector part normalised when `direction`.
Vector4 Carry(const Matrix4& m, const Vector4& v, bool direction)
{
    Vector4 r = m.Transform(v);
    if (direction) {
        const float length = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
        if (length > 0) {
            r.x /= length;
            r.y /= length;
            r.z /= length;
        }
        r.w = 0;
    } else {
        r.w = 1;
    }
    return r;
}

bool IsDirectional(const Light* light)
{
    return light->GetType() == Light::kFixedDirectional || light->GetType() == Light::kDirectional;
}

}  // namespace

Result EffectLighting::Check(GeometryNodeEffect& effect, bool point) const
{
    if (!m_directional || (point && !m_point))
        return effect.ReportProblem(GeometryNodeEffect::kProblemMissingLight, "нет источника света");
    if (!IsDirectional(m_directional.Get()))
        return effect.ReportProblem(GeometryNodeEffect::kProblemWrongLight,
                                    "источник света не направленный");
    if (point && m_point->GetType() != Light::kPoint)
        return effect.ReportProblem(GeometryNodeEffect::kProblemWrongLight, "второй источник света не точечный");
    return kSuccess;
}

void EffectLighting::ComputeConstants(const GeometryNodeEffect& effect, const Vector4& color, const GeometryNode& node,
                                      const Vector4* eye, bool point, Vector4 (&vertex)[kVertexRegisterCount],
                                      Vector4 (&pixel)[kPixelRegisterCount], bool worldSpace) const
{
    Matrix4 toModel = Matrix4::Identity();
    if (!worldSpace && !node.WorldTransform().ToMatrix().Inverse(toModel))
        toModel = Matrix4::Identity();
    const DeviceLight sun = m_directional ? m_directional->ToDeviceLight() : DeviceLight{};
    const DeviceLight lamp = point && m_point ? m_point->ToDeviceLight() : DeviceLight{};
    const Vector4 black{0, 0, 0, 0};

    Vector4 ambientLight = sun.ambient;
    if (point && m_point) {
        ambientLight.x += lamp.ambient.x;
        ambientLight.y += lamp.ambient.y;
        ambientLight.z += lamp.ambient.z;
    }
    const Vector4 diffuse = Times(Times(effect.Diffuse(), sun.diffuse), color);
    Vector4 ambient = Times(effect.Ambient(), ambientLight);
    ambient = Times(Vector4{ambient.x + effect.Emissive().x, ambient.y + effect.Emissive().y,
                            ambient.z + effect.Emissive().z, 0},
                    color);
    const Vector4 specular = Rgb(Times(effect.Specular(), sun.specular), 0);
    const Vector4 pointDiffuse = point ? Rgb(Times(Times(effect.Diffuse(), lamp.diffuse), color), 0) : black;
    const Vector4 pointSpecular = point ? Rgb(Times(effect.Specular(), lamp.specular), 0) : black;
    const Vector4 power{effect.Power(), 0, 1, 0.5f};

    vertex[0] = Vector4{diffuse.x, diffuse.y, diffuse.z, effect.Diffuse().w * color.w};
    vertex[1] = Vector4{-effect.FogDensity() * kLog2E, 0, 1, 0.5f};
    vertex[2] = Rgb(ambient, 0);
    vertex[3] = black;
    vertex[4] = power;
    vertex[5] = specular;
    vertex[6] = pointDiffuse;
    vertex[7] = pointSpecular;
    // Towards the light: against the direction it shines.
    vertex[8] = Carry(toModel, Vector4{-sun.direction.x, -sun.direction.y, -sun.direction.z, 0}, true);
    vertex[9] = eye ? Carry(toModel, *eye, false) : Vector4{0, 0, 0, 1};
    vertex[10] = point ? Carry(toModel, Vector4{lamp.position.x, lamp.position.y, lamp.position.z, 1}, false)
                       : Vector4{0, 0, 0, 1};
    vertex[11] = Vector4{lamp.attenuation0, lamp.attenuation1, lamp.attenuation2, 0};

    pixel[0] = vertex[0];
    pixel[1] = vertex[2];
    pixel[2] = power;
    pixel[3] = specular;
    pixel[4] = pointDiffuse;
    pixel[5] = pointSpecular;
    pixel[6] = vertex[11];
}

void EffectLighting::WriteConstants(Renderer& renderer, const GeometryNodeEffect& effect, const Vector4& color,
                                    const GeometryNode& node, bool point, bool pixel, bool worldSpace) const
{
    Vector4 vertex[kVertexRegisterCount];
    Vector4 pixelValues[kPixelRegisterCount];
    const Camera* camera = renderer.GetCamera();
    Vector4 eye{0, 0, 0, 1};
    if (camera) {
        const Vector3 position = camera->Position();
        eye = Vector4{position.x, position.y, position.z, 1};
    }
    ComputeConstants(effect, color, node, &eye, point, vertex, pixelValues, worldSpace);
    renderer.SetVertexShaderConstants(kFirstVertexRegister, &vertex[0].x, kVertexRegisterCount);
    if (pixel)
        renderer.SetPixelShaderConstants(0, &pixelValues[0].x, kPixelRegisterCount);
}

Result EffectLighting::PushLights(Renderer& renderer, bool point) const
{
    if (Result result = renderer.PushLightState(m_directional.Get()); result != kSuccess)
        return result;
    if (point)
        return renderer.PushLightState(m_point.Get());
    return kSuccess;
}

Object* EffectLighting::FindByName(const String& name) const
{
    if (Object* found = EffectSupport::FindIn(m_directional.Get(), name))
        return found;
    return EffectSupport::FindIn(m_point.Get(), name);
}

void EffectLighting::CollectByType(const Rtti* type, Array<Object*>& out) const
{
    EffectSupport::CollectIn(m_directional.Get(), type, out);
    EffectSupport::CollectIn(m_point.Get(), type, out);
}

Result EffectLighting::Save(const Object& owner, Stream& stream, bool point) const
{
    if (EffectSupport::SaveLight(owner, stream, m_directional.Get()) != kSuccess)
        return kFailure;
    return point ? EffectSupport::SaveLink(owner, stream, m_point.Get(), "точечный источник света") : kSuccess;
}

Result EffectLighting::Load(const Object& owner, Stream& stream, bool point)
{
    Ptr<Light> directional, pointLight;
    if (EffectSupport::LoadLight(owner, stream, directional) != kSuccess ||
        (point && EffectSupport::LoadLink(owner, stream, pointLight, "точечный источник света") != kSuccess))
        return kFailure;
    m_directional = directional;
    if (point)
        m_point = pointLight;
    return kSuccess;
}

}  // namespace zen
