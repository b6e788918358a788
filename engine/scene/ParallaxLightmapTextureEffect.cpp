#include "engine/scene/ParallaxLightmapTextureEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/DarkmapNormalmapTextureEffect.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ParallaxLightmapTextureEffect, LightmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kParallaxTechnique, kVertexTechnique, kFixedTechnique };

constexpr const char* kVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_tangent v2\n"
    "dcl_texcoord0 v3\n"
    "dcl_texcoord1 v4\n"
    "dcl_texcoord2 v5\n"
    ZEN_LIT_POSITION_FOG
    "mov oT0, v3\n"
    "mov oT1, v4\n"
    "mov oT3, v5\n"
    ZEN_BINORMAL("v2")
    "add r3, c17, -v0\n"
    ZEN_TO_TANGENT("oT2", "r3", "v2")
    "mov oD0, c8\n";

// The height from the normal map's alpha shifts the texture's and the normal map's lookups
// along the eye vector; the light map is read where it lies.
constexpr const char* kPixelProgram =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "def c9, 0.5, 0.5, 1, 0\n"
    "dcl v0\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xyz\n"
    "dcl t3.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "dcl_2d s2\n"
    "texld r1, t1, s1\n"
    "nrm r3.xyz, t2\n"
    "mad r4.x, r1.w, c8.x, -c8.y\n"
    "mad r5.xy, r4.x, r3, t0\n"
    "mad r6.xy, r4.x, r3, t1\n"
    "texld r0, r5, s0\n"
    "texld r1, r6, s1\n"
    "texld r2, t3, s2\n"
    ZEN_UNPACK_NORMAL
    "dp3 r4.x, r1, c9\n"
    "mul r0.xyz, r0, r4.x\n"
    "mul r0.xyz, r0, r2\n"
    "mul r0, r0, v0\n"
    "mov oC0, r0\n";

}  // namespace

ParallaxLightmapTextureEffect::ParallaxLightmapTextureEffect()
{
    RemoveTechniques();
    (void)AddTechnique(20, 20);
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

void ParallaxLightmapTextureEffect::SetNormalMap(Texture* texture)
{
    m_relief.Set(texture);
    PreparePasses();
}

Result ParallaxLightmapTextureEffect::SetNormalMapSet(uint32_t set)
{
    bool changed = false;
    const Result result = m_relief.SetCoordSet(set, changed);
    if (changed)
        RebuildTechniques();
    return result;
}

void ParallaxLightmapTextureEffect::SetParallax(float scale, float bias)
{
    m_scale = scale;
    m_bias = bias;
}

Result ParallaxLightmapTextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kParallaxTechnique)
        pass = m_relief.CreatePass(*this, "ParallaxLightmapTexture.vs20", kVertexProgram,
                                   "ParallaxLightmapTexture.ps20", kPixelProgram, true);
    else if (technique == kVertexTechnique)
        pass = m_relief.CreatePass(*this, "NormalmapLightmapTexture.vs11", DarkmapNormalmapTextureEffect::kVertexProgram11,
                                   "NormalmapLightmapTexture.ps11", DarkmapNormalmapTextureEffect::kPixelProgram11,
                                   false);
    else
        pass = m_relief.CreatePass(*this, nullptr, nullptr, nullptr, nullptr, false);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void ParallaxLightmapTextureEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    LightmapTextureEffect::PreparePass(pass, state);
    if (pass.UsesShaders())
        return;
    Vector4& factor = state.stages[0].textureFactor;
    factor.x *= m_relief.Mean();
    factor.y *= m_relief.Mean();
    factor.z *= m_relief.Mean();
}

void ParallaxLightmapTextureEffect::WriteParallaxConstants(Renderer& renderer) const
{
    const float parallax[4] = {m_scale, m_bias, 0, 0};
    renderer.SetPixelShaderConstants(8, parallax, 1);
}

Result ParallaxLightmapTextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (m_relief.Bind(*this, renderer, pass.UsesShaders()) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders())
        return kSuccess;
    // The eye for the parallax (c17); then the colour and fog over c8 and c9.
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, false);
    WriteColorConstants(renderer);
    WriteParallaxConstants(renderer);
    return kSuccess;
}

Object* ParallaxLightmapTextureEffect::FindByName(const String& name)
{
    if (Object* found = LightmapTextureEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_relief.Get(), name);
}

void ParallaxLightmapTextureEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    LightmapTextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_relief.Get(), type, out);
}

Result ParallaxLightmapTextureEffect::Save(Stream& stream)
{
    if (LightmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (m_relief.Save(*this, stream) != kSuccess)
        return kFailure;
    const float values[2] = {m_scale, m_bias};
    return EffectSupport::SaveFloats(*this, stream, values, 2, "данные параллакса");
}

Result ParallaxLightmapTextureEffect::Load(Stream& stream)
{
    if (LightmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Texture> normalMap;
    uint32_t set = 0;
    float values[2] = {0, 0};
    if (m_relief.Load(*this, stream, normalMap, set) != kSuccess ||
        EffectSupport::LoadFloats(*this, stream, values, 2, "данные параллакса") != kSuccess)
        return kFailure;
    SetNormalMap(normalMap.Get());
    SetParallax(values[0], values[1]);
    return SetNormalMapSet(set);
}

}  // namespace zen
