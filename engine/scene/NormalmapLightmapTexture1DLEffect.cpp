#include "engine/scene/NormalmapLightmapTexture1DLEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/DarkmapNormalmapTexture1DLEffect.h"
#include "engine/scene/EffectSupport.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NormalmapLightmapTexture1DLEffect, NormalmapLightmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

}  // namespace

Result NormalmapLightmapTexture1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    using Programs = DarkmapNormalmapTexture1DLEffect;
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = Relief().CreatePass(*this, "NormalmapLightmapTexture1DL.vs20", Programs::kVertexProgram20,
                             "NormalmapLightmapTexture1DL.ps20", Programs::kPixelProgram20, true);
    else if (technique == kVertexTechnique)
        pass = Relief().CreatePass(*this, "NormalmapLightmapTexture1DL.vs11", Programs::kVertexProgram11,
                             "NormalmapLightmapTexture1DL.ps11", Programs::kPixelProgram11, true);
    else
        pass = Relief().CreatePass(*this, nullptr, nullptr, nullptr, nullptr, true);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void NormalmapLightmapTexture1DLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    EffectSupport::PrepareLitStages(state, Color());
    state.stages[2] = state.stages[1];
    EffectSupport::PrepareStage(state, 1, RenderState::kCombineMultiply);
}

Result NormalmapLightmapTexture1DLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer,
                                                   GeometryNode& node)
{
    if (m_lighting.Check(*this, false) != kSuccess || Relief().Bind(*this, renderer, pass.UsesShaders()) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders())
        return m_lighting.PushLights(renderer, false);
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, true);
    return kSuccess;
}

Object* NormalmapLightmapTexture1DLEffect::FindByName(const String& name)
{
    if (Object* found = NormalmapLightmapTextureEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void NormalmapLightmapTexture1DLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    NormalmapLightmapTextureEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result NormalmapLightmapTexture1DLEffect::Save(Stream& stream)
{
    if (NormalmapLightmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, false);
}

Result NormalmapLightmapTexture1DLEffect::Load(Stream& stream)
{
    if (NormalmapLightmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, false);
}

}  // namespace zen
