#include "engine/scene/ParallaxTexture1DLEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"
#include "engine/scene/NormalmapTexture1DLEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ParallaxTexture1DLEffect, ParallaxTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kParallaxTechnique, kVertexTechnique, kFixedTechnique };

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
    ZEN_TO_TANGENT("oT2", "c16", "v2")
    "add r3, c17, -v0\n"
    ZEN_TO_TANGENT("oT3", "r3", "v2");

constexpr const char* kPixelProgram =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xyz\n"
    "dcl t3.xyz\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "texld r1, t1, s1\n"
    "nrm r3.xyz, t3\n"
    "mad r4.x, r1.w, c8.x, -c8.y\n"
    "mad r5.xy, r4.x, r3, t0\n"
    "mad r6.xy, r4.x, r3, t1\n"
    "texld r0, r5, s0\n"
    "texld r1, r6, s1\n"
    ZEN_UNPACK_NORMAL
    "nrm r2.xyz, t2\n"
    ZEN_LIT_PIXEL_1DL
    "mov oC0, r4\n";

}  // namespace

Result ParallaxTexture1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kParallaxTechnique)
        pass = CreateBumpPass("ParallaxTexture1DL.vs20", kVertexProgram, "ParallaxTexture1DL.ps20", kPixelProgram);
    else if (technique == kVertexTechnique)
        pass = CreateBumpPass("NormalmapTexture1DL.vs11", NormalmapTexture1DLEffect::kVertexProgram11,
                              "NormalmapTexture1DL.ps11", NormalmapTexture1DLEffect::kPixelProgram11);
    else
        pass = CreateBumpPass(nullptr, nullptr, nullptr, nullptr);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void ParallaxTexture1DLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (!pass.UsesShaders())
        EffectSupport::PrepareLitStages(state, Color());
}

Result ParallaxTexture1DLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
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
    WriteParallaxConstants(renderer);
    return kSuccess;
}

Object* ParallaxTexture1DLEffect::FindByName(const String& name)
{
    if (Object* found = ParallaxTextureEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void ParallaxTexture1DLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    ParallaxTextureEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result ParallaxTexture1DLEffect::Save(Stream& stream)
{
    if (ParallaxTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, false);
}

Result ParallaxTexture1DLEffect::Load(Stream& stream)
{
    if (ParallaxTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, false);
}

}  // namespace zen
