#include "engine/scene/QuietWater.h"

#include <cmath>

#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNodeEffect.h"
#include "engine/scene/LitPrograms.h"
#include "engine/scene/WaterPrograms.h"

namespace zen {

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

constexpr const char* kVertexProgram20 =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_texcoord0 v1\n"
    "dcl_texcoord1 v2\n"
    ZEN_LIT_POSITION_FOG
    "mad r2, v0.w, c3, r0\n"
    "mov oT2, r2\n"
    "mov oT0, v1\n"
    "mov oT1, v2\n"
    "add oT3, c17, -v0\n";

#define ZEN_QUIET_WATER_PIXEL_HEAD \
    "ps_2_0\n"                     \
    "def c7, 0, 1, 2, -1\n"        \
    "def c10, 0.5, -0.5, 0, 0\n"   \
    "dcl t0.xy\n"                  \
    "dcl t1.xy\n"                  \
    "dcl t2\n"                     \
    "dcl t3.xyz\n"                 \
    "dcl_2d s0\n"                  \
    "dcl_2d s1\n"                  \
    "dcl_2d s2\n"

#define ZEN_QUIET_WATER_PIXEL_SURFACE \
    "texld r0, t0, s0\n"              \
    "texld r1, t1, s1\n"              \
    "mul r0, r0, c8\n"                \
    "mad r1.xyz, r1, c7.z, c7.w\n"    \
    ZEN_WATER_NORMAL_TO_MODEL         \
    "nrm r3.xyz, t3\n"                \
    ZEN_WATER_FRESNEL                 \
    ZEN_WATER_SCREEN                  \
    "mad r7.xy, r8, c9.x, r6\n"       \
    "texld r7, r7, s2\n"

// The reflection over the water colour by the Fresnel weight.
constexpr const char* kReflectPixelProgram20 =
    ZEN_QUIET_WATER_PIXEL_HEAD
    ZEN_QUIET_WATER_PIXEL_SURFACE
    "lrp r9.xyz, r5.w, r7, r0\n"
    "mov r9.w, r0.w\n"
    "mov oC0, r9\n";

// What lies below shows through the colour by the clarity, shifted the other way.
constexpr const char* kRefractPixelProgram20 =
    ZEN_QUIET_WATER_PIXEL_HEAD
    "dcl_2d s3\n"
    ZEN_QUIET_WATER_PIXEL_SURFACE
    "mad r10.xy, r8, -c9.x, r6\n"
    "texld r10, r10, s3\n"
    "lrp r11.xyz, c9.w, r10, r0\n"
    "lrp r9.xyz, r5.w, r7, r11\n"
    "mov r9.w, r0.w\n"
    "mov oC0, r9\n";

// The surface's own normal is +y in model space: N.V is the eye vector's y.
constexpr const char* kVertexProgram11 =
    "vs_1_1\n"
    "def c21, 1, 0, 0.5, -0.5\n"
    "dcl_position v0\n"
    "dcl_texcoord0 v1\n"
    ZEN_LIT_POSITION_FOG
    ZEN_WATER_SCREEN_VERTEX
    "mov oT1.xy, r3\n"
    "mov oT2.xy, r3\n"
    "mov oT0, v1\n"
    "add r4, c17, -v0\n"
    "dp3 r4.w, r4, r4\n"
    "rsq r4.w, r4.w\n"
    "mul r5.x, r4.y, r4.w\n"
    ZEN_WATER_FRESNEL_VERTEX
    "mov oD0.xyz, c21.y\n";

constexpr const char* kReflectPixelProgram11 =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "mul r0, t0, c0\n"
    "lrp r0.rgb, v0.a, t1, r0\n";

constexpr const char* kRefractPixelProgram11 =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "tex t2\n"
    "mul r0, t0, c0\n"
    "lrp r1.rgb, c1.a, t2, r0\n"
    "lrp r0.rgb, v0.a, t1, r1\n";

float Clamp01(float value)
{
    return value < 0 ? 0 : value > 1 ? 1 : value;
}

}  // namespace

void QuietWater::SetParameters(const Parameters& parameters)
{
    if (!std::isfinite(parameters.distortion) || !std::isfinite(parameters.fresnelBias) ||
        !std::isfinite(parameters.clarity))
        return;
    m_parameters.distortion = parameters.distortion;
    m_parameters.fresnelBias = Clamp01(parameters.fresnelBias);
    m_parameters.clarity = Clamp01(parameters.clarity);
}

float QuietWater::Fresnel(float r0, float cosine)
{
    const float c = 1 - Clamp01(cosine);
    return r0 + (1 - r0) * c * c * c * c * c;
}

Ptr<GeometryNodeEffectPass> QuietWater::CreatePass(GeometryNodeEffect* effect, uint32_t technique,
                                                   uint32_t textureSet, uint32_t normalSet) const
{
    Ptr<GeometryNodeEffectPass> pass;
    const char* name = m_refractive ? "ReflectiveRefractiveQuietFlatWater" : "ReflectiveQuietFlatWater";
    const String vertex20 = String(name) + String(".vs20"), pixel20 = String(name) + String(".ps20");
    const String vertex11 = String(name) + String(".vs11"), pixel11 = String(name) + String(".ps11");
    if (technique == kPixelTechnique)
        pass = GeometryNodeEffectPass::Create(effect, vertex20.CStr(), kVertexProgram20, pixel20.CStr(),
                                              m_refractive ? kRefractPixelProgram20 : kReflectPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = GeometryNodeEffectPass::Create(effect, vertex11.CStr(), kVertexProgram11, pixel11.CStr(),
                                              m_refractive ? kRefractPixelProgram11 : kReflectPixelProgram11);
    else
        pass = GeometryNodeEffectPass::Create(effect, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kTexCoords, textureSet) != kSuccess ||
        (technique == kPixelTechnique && pass->AddInput(VertexElement::kTexCoords, normalSet) != kSuccess))
        return nullptr;
    return pass;
}

Result QuietWater::Bind(GeometryNodeEffect& effect, Renderer& renderer, uint32_t first, bool perPixel,
                        const Vector4& color) const
{
    if (EffectSupport::CheckTexture(effect, m_reflection.Get(), "текстура отражения") != kSuccess ||
        (m_refractive && EffectSupport::CheckTexture(effect, m_refraction.Get(), "текстура преломления") != kSuccess))
        return kFailure;
    renderer.SetTexture(first, m_reflection.Get());
    if (m_refractive)
        renderer.SetTexture(first + 1, m_refraction.Get());
    const Parameters& p = m_parameters;
    if (perPixel) {
        const float values[8] = {color.x, color.y, color.z, color.w,
                                 p.distortion, p.fresnelBias, 1 - p.fresnelBias, p.clarity};
        renderer.SetPixelShaderConstants(8, values, 2);
    } else {
        const float values[8] = {color.x, color.y, color.z, color.w, 0, 0, 0, p.clarity};
        renderer.SetPixelShaderConstants(0, values, 2);
        const float fresnel[4] = {p.fresnelBias, 1 - p.fresnelBias, 0, 0};
        renderer.SetVertexShaderConstants(20, fresnel, 1);
    }
    return kSuccess;
}

Object* QuietWater::FindByName(const String& name) const
{
    if (Object* found = EffectSupport::FindIn(m_reflection.Get(), name))
        return found;
    return EffectSupport::FindIn(m_refraction.Get(), name);
}

void QuietWater::CollectByType(const Rtti* type, Array<Object*>& out) const
{
    EffectSupport::CollectIn(m_reflection.Get(), type, out);
    EffectSupport::CollectIn(m_refraction.Get(), type, out);
}

Result QuietWater::Save(const Object& owner, Stream& stream) const
{
    if (EffectSupport::SaveLink(owner, stream, m_reflection.Get(), "текстуру отражения") != kSuccess)
        return kFailure;
    if (m_refractive && EffectSupport::SaveLink(owner, stream, m_refraction.Get(), "текстуру преломления") != kSuccess)
        return kFailure;
    const float values[3] = {m_parameters.distortion, m_parameters.fresnelBias, m_parameters.clarity};
    return EffectSupport::SaveFloats(owner, stream, values, 3, "параметры воды");
}

Result QuietWater::Load(const Object& owner, Stream& stream)
{
    Ptr<Texture> reflection, refraction;
    if (EffectSupport::LoadLink(owner, stream, reflection, "текстуру отражения") != kSuccess)
        return kFailure;
    if (m_refractive && EffectSupport::LoadLink(owner, stream, refraction, "текстуру преломления") != kSuccess)
        return kFailure;
    float values[3] = {0, 0, 0};
    if (EffectSupport::LoadFloats(owner, stream, values, 3, "параметры воды") != kSuccess)
        return kFailure;
    m_reflection = reflection;
    m_refraction = refraction;
    SetParameters(Parameters{values[0], values[1], values[2]});
    return kSuccess;
}

}  // namespace zen
