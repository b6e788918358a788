#include "engine/scene/NormalmapTexture1DLEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NormalmapTexture1DLEffect, NormalmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

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
    ZEN_TO_TANGENT("oT3", "r3", "v2");

constexpr const char* kPixelProgram20 =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xyz\n"
    "dcl t3.xyz\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s1\n"
    ZEN_UNPACK_NORMAL
    "nrm r2.xyz, t2\n"
    "mov r3.xyz, t3\n"
    ZEN_LIT_PIXEL_1DL
    "mov oC0, r4\n";

constexpr const char* kVertexProgram11Text =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_tangent v2\n"
    "dcl_texcoord0 v3\n"
    "dcl_texcoord1 v4\n"
    ZEN_LIT_POSITION_FOG
    ZEN_LIT_VERTEX_1DL
    "mov oT0, v3\n"
    "mov oT1, v4\n"
    ZEN_BINORMAL("v2")
    ZEN_TO_TANGENT("r4", "c16", "v2")
    "mad oD0.xyz, r4, c9.w, c9.w\n"
    "mov oD0.w, c8.w\n"
    "mov oD1, r11\n";

constexpr const char* kPixelProgram11Text =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "dp3_sat r1, t1_bx2, v0_bx2\n"
    "mad r1, r1, c0, c1\n"
    "mul r0, t0, r1\n"
    "add r0.rgb, r0, v1\n";

}  // namespace

const char* const NormalmapTexture1DLEffect::kVertexProgram11 = kVertexProgram11Text;
const char* const NormalmapTexture1DLEffect::kPixelProgram11 = kPixelProgram11Text;

Result NormalmapTexture1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = CreateBumpPass("NormalmapTexture1DL.vs20", kVertexProgram20, "NormalmapTexture1DL.ps20",
                              kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = CreateBumpPass("NormalmapTexture1DL.vs11", kVertexProgram11, "NormalmapTexture1DL.ps11",
                              kPixelProgram11);
    else
        pass = CreateBumpPass(nullptr, nullptr, nullptr, nullptr);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void NormalmapTexture1DLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (!pass.UsesShaders())
        EffectSupport::PrepareLitStages(state, Color());
}

Result NormalmapTexture1DLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (m_lighting.Check(*this, false) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders()) {
        if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess)
            return kFailure;
        renderer.SetTexture(0, GetTexture());
        return m_lighting.PushLights(renderer, false);
    }
    if (BindTextures(renderer) != kSuccess)
        return kFailure;
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, true);
    return kSuccess;
}

Object* NormalmapTexture1DLEffect::FindByName(const String& name)
{
    if (Object* found = NormalmapTextureEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void NormalmapTexture1DLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    NormalmapTextureEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result NormalmapTexture1DLEffect::Save(Stream& stream)
{
    if (NormalmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, false);
}

Result NormalmapTexture1DLEffect::Load(Stream& stream)
{
    if (NormalmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, false);
}

}  // namespace zen
