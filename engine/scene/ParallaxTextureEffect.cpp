#include "engine/scene/ParallaxTextureEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ParallaxTextureEffect, NormalmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kParallaxTechnique };

constexpr const char* kVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_tangent v2\n"
    "dcl_texcoord0 v3\n"
    "dcl_texcoord1 v4\n"
    ZEN_LIT_POSITION_FOG
    "mov oT0, v3\n"
    "mov oT1, v4\n"
    ZEN_BINORMAL("v2")
    "add r3, c17, -v0\n"
    ZEN_TO_TANGENT("oT2", "r3", "v2")
    "mov oD0, c8\n";

// The height from the normal map's alpha shifts both lookups along the eye vector.
constexpr const char* kPixelProgram =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "def c9, 0.5, 0.5, 1, 0\n"
    "dcl v0\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xyz\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "texld r1, t1, s1\n"
    "nrm r3.xyz, t2\n"
    "mad r4.x, r1.w, c8.x, -c8.y\n"
    "mad r5.xy, r4.x, r3, t0\n"
    "mad r6.xy, r4.x, r3, t1\n"
    "texld r0, r5, s0\n"
    "texld r1, r6, s1\n"
    ZEN_UNPACK_NORMAL
    "dp3 r4.x, r1, c9\n"
    "mul r0.xyz, r0, r4.x\n"
    "mul r0, r0, v0\n"
    "mov oC0, r0\n";

}  // namespace

void ParallaxTextureEffect::SetParallax(float scale, float bias)
{
    m_scale = scale;
    m_bias = bias;
}

Result ParallaxTextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    if (technique != kParallaxTechnique)
        return NormalmapTextureEffect::CreatePasses(technique, out);
    Ptr<GeometryNodeEffectPass> pass =
        CreateBumpPass("ParallaxTexture.vs20", kVertexProgram, "ParallaxTexture.ps20", kPixelProgram);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void ParallaxTextureEffect::WriteParallaxConstants(Renderer& renderer) const
{
    const float parallax[4] = {m_scale, m_bias, 0, 0};
    renderer.SetPixelShaderConstants(8, parallax, 1);
}

Result ParallaxTextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (NormalmapTextureEffect::BindPass(pass, renderer, node) != kSuccess)
        return kFailure;
    if (pass.UsesShaders()) {
        m_lighting.WriteConstants(renderer, *this, Color(), node, false, false);
        WriteColorConstants(renderer);
        WriteParallaxConstants(renderer);
    }
    return kSuccess;
}

Result ParallaxTextureEffect::Save(Stream& stream)
{
    if (NormalmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    const float values[2] = {m_scale, m_bias};
    return EffectSupport::SaveFloats(*this, stream, values, 2, "данные параллакса");
}

Result ParallaxTextureEffect::Load(Stream& stream)
{
    if (NormalmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    float values[2] = {0, 0};
    if (EffectSupport::LoadFloats(*this, stream, values, 2, "данные параллакса") != kSuccess)
        return kFailure;
    SetParallax(values[0], values[1]);
    return kSuccess;
}

}  // namespace zen
