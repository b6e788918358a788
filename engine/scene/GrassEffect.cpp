#include "engine/scene/GrassEffect.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(GrassEffect, TextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kShaderTechnique, kFixedTechnique };

constexpr float kLog2E = 1.44269504f;

// s = the phase's fraction f as a triangle 2|2f - 1| - 1 smoothed (3t^2 - 2t^3 of |2f - 1|),
// scaled by the weight; the position moves by s x c10, then clip position and fog as the
// colour programs do it from the moved position.
constexpr const char* kVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_texcoord0 v1\n"
    "dcl_texcoord1 v2\n"
    "add r2.x, v2.y, c10.w\n"
    "frc r2.y, r2.x\n"
    "mad r2.y, r2.y, c9.y, c9.z\n"
    "max r2.z, r2.y, -r2.y\n"
    "mul r2.w, r2.z, r2.z\n"
    "mad r2.z, r2.z, -c9.y, c9.w\n"
    "mul r2.z, r2.z, r2.w\n"
    "mad r2.z, r2.z, c9.y, c9.z\n"
    "mul r2.z, r2.z, v2.x\n"
    "mad r3.xyz, r2.z, c10, v0\n"
    "mov r3.w, v0.w\n"
    "mul r0, r3.x, c0\n"
    "mad r0, r3.y, c1, r0\n"
    "mad r0, r3.z, c2, r0\n"
    "mad oPos, r3.w, c3, r0\n"
    "mul r1, r3.x, c4\n"
    "mad r1, r3.y, c5, r1\n"
    "mad r1, r3.z, c6, r1\n"
    "mad r1, r3.w, c7, r1\n"
    "mul r1.x, r1.z, c9.x\n"
    "exp r1.x, r1.x\n"
    "mov oFog, r1.x\n"
    "mov oD0, c8\n"
    "mov oT0, v1\n";

// The texture effect's own pixel program (texture x colour), under its name.
constexpr const char* kPixelProgram =
    "ps.1.1\n"
    "tex t0\n"
    "mul r0, t0, v0\n";

}  // namespace

GrassEffect::GrassEffect()
{
    RemoveTechniques();
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

void GrassEffect::SetLight(Light* light)
{
    m_lighting.SetDirectional(light);
    PreparePasses();
}

void GrassEffect::SetWind(const Wind& wind)
{
    for (float value : {wind.direction[0], wind.direction[1], wind.amplitude, wind.frequency})
        if (!std::isfinite(value))
            return;
    m_wind = wind;
}

Vector4 GrassEffect::LitColor() const
{
    const Vector4& c = Color();
    const Light* light = m_lighting.Directional();
    if (!light)
        return c;
    const DeviceLight sun = light->ToDeviceLight();
    // The light's height above the horizon: how much it falls on an upward face.
    const float length = std::sqrt(sun.direction.x * sun.direction.x + sun.direction.y * sun.direction.y +
                                   sun.direction.z * sun.direction.z);
    const float up = length > 0 ? std::fmax(0.0f, -sun.direction.y / length) : 0.0f;
    const Vector4& d = Diffuse();
    const Vector4& a = Ambient();
    const Vector4& e = Emissive();
    return Vector4{c.x * (a.x * sun.ambient.x + e.x + d.x * sun.diffuse.x * up),
                   c.y * (a.y * sun.ambient.y + e.y + d.y * sun.diffuse.y * up),
                   c.z * (a.z * sun.ambient.z + e.z + d.z * sun.diffuse.z * up), c.w * d.w};
}

float GrassEffect::Sway(float weight, float phase) const
{
    const double cycles = phase + m_clock.Seconds() * m_wind.frequency;
    const float f = static_cast<float>(cycles - std::floor(cycles));
    const float t = std::fabs(2 * f - 1);
    return (t * t * (3 - 2 * t) * 2 - 1) * weight;
}

void GrassEffect::Update(double time)
{
    m_clock.Advance(time);
    TextureEffect::Update(time);
}

Result GrassEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass =
        technique == kShaderTechnique
            ? GeometryNodeEffectPass::Create(this, "Grass.vs11", kVertexProgram, "TextureEffect.ps", kPixelProgram)
            : GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess ||
        (technique == kShaderTechnique && pass->AddInput(VertexElement::kTexCoords, 1) != kSuccess))
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void GrassEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    TextureEffect::PreparePass(pass, state);
    if (!pass.UsesShaders())
        state.stages[0].textureFactor = LitColor();
}

Result GrassEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode&)
{
    if (GetLight() && m_lighting.Check(*this, false) != kSuccess)
        return kFailure;
    if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess)
        return kFailure;
    renderer.SetTexture(0, GetTexture());
    if (!pass.UsesShaders())
        return kSuccess;
    const Vector4 lit = LitColor();
    const float length = std::sqrt(m_wind.direction[0] * m_wind.direction[0] + m_wind.direction[1] * m_wind.direction[1]);
    const float scale = length > 0 ? m_wind.amplitude / length : 0.0f;
    const double cycles = m_clock.Seconds() * m_wind.frequency;
    const float values[12] = {lit.x, lit.y, lit.z, lit.w,
                              -FogDensity() * kLog2E, 2, -1, 3,
                              m_wind.direction[0] * scale, 0, m_wind.direction[1] * scale,
                              static_cast<float>(cycles - std::floor(cycles))};
    renderer.SetVertexShaderConstants(8, values, 3);
    return kSuccess;
}

Object* GrassEffect::FindByName(const String& name)
{
    if (Object* found = TextureEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(GetLight(), name);
}

void GrassEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    TextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(GetLight(), type, out);
}

Result GrassEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (EffectSupport::SaveLight(*this, stream, GetLight()) != kSuccess)
        return kFailure;
    const float values[4] = {m_wind.direction[0], m_wind.direction[1], m_wind.amplitude, m_wind.frequency};
    return EffectSupport::SaveFloats(*this, stream, values, 4, "параметры ветра");
}

Result GrassEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Light> light;
    float v[4] = {};
    if (EffectSupport::LoadLight(*this, stream, light) != kSuccess ||
        EffectSupport::LoadFloats(*this, stream, v, 4, "параметры ветра") != kSuccess)
        return kFailure;
    SetLight(light.Get());
    SetWind(Wind{{v[0], v[1]}, v[2], v[3]});
    return kSuccess;
}

}  // namespace zen
