#include "engine/scene/QuietFlatWaterEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"

namespace zen {

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

}  // namespace

void QuietFlatWaterEffect::UpdateTextures(double time)
{
    NormalmapTextureEffect::UpdateTextures(time);
    if (Texture* reflection = m_water.Reflection())
        reflection->UpdateForFrame(time);
    if (Texture* refraction = m_water.Refraction(); refraction && refraction != m_water.Reflection())
        refraction->UpdateForFrame(time);
}

Result QuietFlatWaterEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass = m_water.CreatePass(this, technique, TexCoordSet(), NormalMapSet());
    return pass ? out.AddPass(pass.Get()) : kOutOfMemory;
}

void QuietFlatWaterEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    // The plain texture x colour: the relief scaling of the normal-map effect is no water's.
    TextureEffect::PreparePass(pass, state);
}

Result QuietFlatWaterEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders()) {
        renderer.SetTexture(0, GetTexture());
        return kSuccess;
    }
    const bool perPixel = CurrentTechnique() && CurrentTechnique()->Index() == kPixelTechnique;
    if (perPixel) {
        if (BindTextures(renderer) != kSuccess)
            return kFailure;
    } else {
        renderer.SetTexture(0, GetTexture());
    }
    if (m_water.Bind(*this, renderer, perPixel ? 2 : 1, perPixel, Color()) != kSuccess)
        return kFailure;
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, false);
    WriteColorConstants(renderer);
    return kSuccess;
}

Object* QuietFlatWaterEffect::FindByName(const String& name)
{
    if (Object* found = NormalmapTextureEffect::FindByName(name))
        return found;
    return m_water.FindByName(name);
}

void QuietFlatWaterEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    NormalmapTextureEffect::CollectByType(type, out);
    m_water.CollectByType(type, out);
}

Result QuietFlatWaterEffect::Save(Stream& stream)
{
    if (NormalmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_water.Save(*this, stream);
}

Result QuietFlatWaterEffect::Load(Stream& stream)
{
    if (NormalmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_water.Load(*this, stream);
}

}  // namespace zen
