#include "engine/scene/NormalmapTexture1DL1PLEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NormalmapTexture1DL1PLEffect, NormalmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

// The light, the eye and the lamp carried into tangent space (T2, T3, T4); the lamp's vector
// keeps its length for the attenuation.
constexpr const char* kVertexProgram20 =
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
    ZEN_TO_TANGENT("oT2", "c16", "v2")
    "add r3, c17, -v0\n"
    ZEN_TO_TANGENT("oT3", "r3", "v2")
    "add r4, c18, -v0\n"
    ZEN_TO_TANGENT("oT4", "r4", "v2");

constexpr const char* kPixelProgram20 =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xyz\n"
    "dcl t3.xyz\n"
    "dcl t4.xyz\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s1\n"
    ZEN_UNPACK_NORMAL
    "nrm r2.xyz, t2\n"
    "mov r3.xyz, t3\n"
    "mov r7.xyz, t4\n"
    ZEN_LIT_PIXEL_1DL
    ZEN_LIT_PIXEL_1PL
    "mov oC0, r4\n";

// Per vertex: the light vector in tangent space packed into the diffuse output, the lamp's
// diffuse light into the specular output and both specular terms into T2 (read as a colour).
constexpr const char* kVertexProgram11 =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_tangent v2\n"
    "dcl_texcoord0 v3\n"
    "dcl_texcoord1 v4\n"
    ZEN_LIT_POSITION_FOG
    ZEN_LIT_VERTEX_1DL
    ZEN_LIT_VERTEX_1PL
    "mul oD1.xyz, r10.y, c14\n"
    "mov oD1.w, c12.y\n"
    "mov oT2, r11\n"
    "mov oT0, v3\n"
    "mov oT1, v4\n"
    ZEN_BINORMAL("v2")
    ZEN_TO_TANGENT("r4", "c16", "v2")
    "mad oD0.xyz, r4, c9.w, c9.w\n"
    "mov oD0.w, c8.w\n";

constexpr const char* kPixelProgram11 =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "texcoord t2\n"
    "dp3_sat r1, t1_bx2, v0_bx2\n"
    "mad r1, r1, c0, c1\n"
    "add r1.rgb, r1, v1\n"
    "mul r0, t0, r1\n"
    "add r0.rgb, r0, t2\n";

}  // namespace

Result NormalmapTexture1DL1PLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = CreateBumpPass("NormalmapTexture1DL1PL.vs20", kVertexProgram20, "NormalmapTexture1DL1PL.ps20",
                              kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = CreateBumpPass("NormalmapTexture1DL1PL.vs11", kVertexProgram11, "NormalmapTexture1DL1PL.ps11",
                              kPixelProgram11);
    else
        pass = CreateBumpPass(nullptr, nullptr, nullptr, nullptr);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void NormalmapTexture1DL1PLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (!pass.UsesShaders())
        EffectSupport::PrepareLitStages(state, Color());
}

Result NormalmapTexture1DL1PLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (m_lighting.Check(*this, true) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders()) {
        if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess)
            return kFailure;
        renderer.SetTexture(0, GetTexture());
        return m_lighting.PushLights(renderer, true);
    }
    if (BindTextures(renderer) != kSuccess)
        return kFailure;
    m_lighting.WriteConstants(renderer, *this, Color(), node, true, true);
    return kSuccess;
}

Object* NormalmapTexture1DL1PLEffect::FindByName(const String& name)
{
    if (Object* found = NormalmapTextureEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void NormalmapTexture1DL1PLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    NormalmapTextureEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result NormalmapTexture1DL1PLEffect::Save(Stream& stream)
{
    if (NormalmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, true);
}

Result NormalmapTexture1DL1PLEffect::Load(Stream& stream)
{
    if (NormalmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, true);
}

}  // namespace zen
