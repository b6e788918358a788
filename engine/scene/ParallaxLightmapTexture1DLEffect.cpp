#include "engine/scene/ParallaxLightmapTexture1DLEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/DarkmapNormalmapTexture1DLEffect.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ParallaxLightmapTexture1DLEffect, ParallaxLightmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kParallaxTechnique, kVertexTechnique, kFixedTechnique };

// After the parallax shift (c8: scale, bias) the light map darkens the texture, then the pixel is
// lit as the normal-mapped programs light it. The vertex program is the dark-mapped one's: the
// light and the eye in tangent space, the light map's coordinates in t4.
constexpr const char* kPixelProgram =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xyz\n"
    "dcl t3.xyz\n"
    "dcl t4.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "dcl_2d s2\n"
    "texld r1, t1, s1\n"
    "nrm r3.xyz, t3\n"
    "mad r4.x, r1.w, c8.x, -c8.y\n"
    "mad r5.xy, r4.x, r3, t0\n"
    "mad r6.xy, r4.x, r3, t1\n"
    "texld r0, r5, s0\n"
    "texld r1, r6, s1\n"
    "texld r8, t4, s2\n"
    "mul r0.xyz, r0, r8\n"
    ZEN_UNPACK_NORMAL
    "nrm r2.xyz, t2\n"
    ZEN_LIT_PIXEL_1DL
    "mov oC0, r4\n";

}  // namespace

Result ParallaxLightmapTexture1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    using Programs = DarkmapNormalmapTexture1DLEffect;
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kParallaxTechnique)
        pass = Relief().CreatePass(*this, "ParallaxLightmapTexture1DL.vs20", Programs::kVertexProgram20,
                                   "ParallaxLightmapTexture1DL.ps20", kPixelProgram, true);
    else if (technique == kVertexTechnique)
        pass = Relief().CreatePass(*this, "NormalmapLightmapTexture1DL.vs11", Programs::kVertexProgram11,
                                   "NormalmapLightmapTexture1DL.ps11", Programs::kPixelProgram11, true);
    else
        pass = Relief().CreatePass(*this, nullptr, nullptr, nullptr, nullptr, true);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void ParallaxLightmapTexture1DLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    EffectSupport::PrepareLitStages(state, Color());
    state.stages[2] = state.stages[1];
    EffectSupport::PrepareStage(state, 1, RenderState::kCombineMultiply);
}

Result ParallaxLightmapTexture1DLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (m_lighting.Check(*this, false) != kSuccess || Relief().Bind(*this, renderer, pass.UsesShaders()) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders())
        return m_lighting.PushLights(renderer, false);
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, true);
    WriteParallaxConstants(renderer);
    return kSuccess;
}

Object* ParallaxLightmapTexture1DLEffect::FindByName(const String& name)
{
    if (Object* found = ParallaxLightmapTextureEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void ParallaxLightmapTexture1DLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    ParallaxLightmapTextureEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result ParallaxLightmapTexture1DLEffect::Save(Stream& stream)
{
    if (ParallaxLightmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, false);
}

Result ParallaxLightmapTexture1DLEffect::Load(Stream& stream)
{
    if (ParallaxLightmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, false);
}

}  // namespace zen
