#include "engine/scene/GlossmapTexture1DLEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(GlossmapTexture1DLEffect, GlossmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

constexpr const char* kVertexProgram20 =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord0 v2\n"
    "dcl_texcoord1 v3\n"
    ZEN_LIT_POSITION_FOG
    "mov oT0, v2\n"
    "mov oT1, v3\n"
    "mov oT2.xyz, v1\n"
    "mov oT3.xyz, c16\n"
    "add oT4.xyz, c17, -v0\n";

// Lit as the other per-pixel programs, then the specular part (r5.z x c3) scaled by the gloss:
// r4 += specular x (gloss - 1).
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
    "texld r8, t1, s1\n"
    "nrm r1.xyz, t2\n"
    "mov r2.xyz, t3\n"
    "mov r3.xyz, t4\n"
    ZEN_LIT_PIXEL_1DL
    "mul r9.xyz, r5.z, c3\n"
    "add r8.x, r8.x, c7.w\n"
    "mad r4.xyz, r9, r8.x, r4\n"
    "mov oC0, r4\n";

constexpr const char* kVertexProgram11 =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord0 v2\n"
    "dcl_texcoord1 v3\n"
    ZEN_LIT_POSITION_FOG
    ZEN_LIT_VERTEX_1DL
    ZEN_LIT_VERTEX_OUT
    "mov oT0, v2\n"
    "mov oT1, v3\n";

}  // namespace

Result GlossmapTexture1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = CreateGlossPass("GlossmapTexture1DL.vs20", kVertexProgram20, "GlossmapTexture1DL.ps20", kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = CreateGlossPass("GlossmapTexture1DL.vs11", kVertexProgram11, "GlossmapTexture.ps11", kPixelProgram11);
    else
        pass = CreateGlossPass(nullptr, nullptr, nullptr, nullptr);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void GlossmapTexture1DLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (!pass.UsesShaders())
        EffectSupport::PrepareLitStages(state, Color());
}

Result GlossmapTexture1DLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (m_lighting.Check(*this, false) != kSuccess || BindTextures(renderer, pass.UsesShaders()) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders())
        return m_lighting.PushLights(renderer, false);
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, true);
    return kSuccess;
}

Object* GlossmapTexture1DLEffect::FindByName(const String& name)
{
    if (Object* found = GlossmapTextureEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void GlossmapTexture1DLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    GlossmapTextureEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result GlossmapTexture1DLEffect::Save(Stream& stream)
{
    if (GlossmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, false);
}

Result GlossmapTexture1DLEffect::Load(Stream& stream)
{
    if (GlossmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, false);
}

}  // namespace zen
