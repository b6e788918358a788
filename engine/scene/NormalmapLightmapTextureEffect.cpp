#include "engine/scene/NormalmapLightmapTextureEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/DarkmapNormalmapTextureEffect.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NormalmapLightmapTextureEffect, LightmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

}  // namespace

NormalmapLightmapTextureEffect::NormalmapLightmapTextureEffect()
{
    RemoveTechniques();
    (void)AddTechnique(20, 20);
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

void NormalmapLightmapTextureEffect::SetNormalMap(Texture* texture)
{
    m_relief.Set(texture);
    PreparePasses();
}

Result NormalmapLightmapTextureEffect::SetNormalMapSet(uint32_t set)
{
    bool changed = false;
    const Result result = m_relief.SetCoordSet(set, changed);
    if (changed)
        RebuildTechniques();
    return result;
}

Result NormalmapLightmapTextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = m_relief.CreatePass(*this, "NormalmapLightmapTexture.vs20", DarkmapNormalmapTextureEffect::kVertexProgram20,
                             "NormalmapLightmapTexture.ps20", DarkmapNormalmapTextureEffect::kPixelProgram20, false);
    else if (technique == kVertexTechnique)
        pass = m_relief.CreatePass(*this, "NormalmapLightmapTexture.vs11", DarkmapNormalmapTextureEffect::kVertexProgram11,
                             "NormalmapLightmapTexture.ps11", DarkmapNormalmapTextureEffect::kPixelProgram11, false);
    else
        pass = m_relief.CreatePass(*this, nullptr, nullptr, nullptr, nullptr, false);
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void NormalmapLightmapTextureEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    LightmapTextureEffect::PreparePass(pass, state);
    if (pass.UsesShaders())
        return;
    Vector4& factor = state.stages[0].textureFactor;
    factor.x *= m_relief.Mean();
    factor.y *= m_relief.Mean();
    factor.z *= m_relief.Mean();
}

Result NormalmapLightmapTextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode&)
{
    if (m_relief.Bind(*this, renderer, pass.UsesShaders()) != kSuccess)
        return kFailure;
    if (pass.UsesShaders())
        WriteColorConstants(renderer);
    return kSuccess;
}

Object* NormalmapLightmapTextureEffect::FindByName(const String& name)
{
    if (Object* found = LightmapTextureEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_relief.Get(), name);
}

void NormalmapLightmapTextureEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    LightmapTextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_relief.Get(), type, out);
}

Result NormalmapLightmapTextureEffect::Save(Stream& stream)
{
    if (LightmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_relief.Save(*this, stream);
}

Result NormalmapLightmapTextureEffect::Load(Stream& stream)
{
    if (LightmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t set = 0;
    Ptr<Texture> normalMap;
    if (m_relief.Load(*this, stream, normalMap, set) != kSuccess)
        return kFailure;
    SetNormalMap(normalMap.Get());
    return SetNormalMapSet(set);
}

}  // namespace zen
