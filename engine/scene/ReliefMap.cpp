#include "engine/scene/ReliefMap.h"

#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LightmapTextureEffect.h"

namespace zen {

void ReliefMap::Set(Texture* texture)
{
    m_texture = texture;
    m_mean = EffectSupport::ReliefMean(texture);
}

Result ReliefMap::SetCoordSet(uint32_t set, bool& changed)
{
    changed = false;
    if (set >= GeometryNode::kTexCoordSets)
        return kInvalidArgument;
    changed = set != m_set;
    m_set = set;
    return kSuccess;
}

Ptr<GeometryNodeEffectPass> ReliefMap::CreatePass(LightmapTextureEffect& effect, const char* vertexName,
                                                  const char* vertex, const char* pixelName, const char* pixel,
                                                  bool lit) const
{
    Ptr<GeometryNodeEffectPass> pass = GeometryNodeEffectPass::Create(&effect, vertexName, vertex, pixelName, pixel);
    if (!pass || (lit && pass->AddInput(VertexElement::kNormals) != kSuccess) ||
        (lit && vertex && pass->AddInput(VertexElement::kTangents) != kSuccess) ||
        pass->AddInput(VertexElement::kTexCoords, effect.TexCoordSet()) != kSuccess ||
        (vertex && pass->AddInput(VertexElement::kTexCoords, m_set) != kSuccess) ||
        pass->AddInput(VertexElement::kTexCoords, effect.LightmapSet()) != kSuccess)
        return nullptr;
    return pass;
}

Result ReliefMap::Bind(LightmapTextureEffect& effect, Renderer& renderer, bool withMap) const
{
    if (EffectSupport::CheckTexture(effect, effect.GetTexture()) != kSuccess ||
        EffectSupport::CheckTexture(effect, effect.GetLightmap(), "карта освещения") != kSuccess ||
        (withMap && EffectSupport::CheckTexture(effect, m_texture.Get(), "карта нормалей") != kSuccess))
        return kFailure;
    renderer.SetTexture(0, effect.GetTexture());
    if (!withMap) {
        renderer.SetTexture(1, effect.GetLightmap());
        return kSuccess;
    }
    renderer.SetTexture(1, m_texture.Get());
    renderer.SetTexture(2, effect.GetLightmap());
    return kSuccess;
}

Result ReliefMap::Save(const Object& owner, Stream& stream) const
{
    if (EffectSupport::SaveLink(owner, stream, m_texture.Get(), "карту нормалей") != kSuccess)
        return kFailure;
    return EffectSupport::SaveSet(owner, stream, m_set, "номер набора текстурных координат карты нормалей");
}

Result ReliefMap::Load(const Object& owner, Stream& stream, Ptr<Texture>& texture, uint32_t& set) const
{
    if (EffectSupport::LoadLink(owner, stream, texture, "карту нормалей") != kSuccess)
        return kFailure;
    return EffectSupport::LoadSet(owner, stream, set, "номер набора текстурных координат карты нормалей");
}

}  // namespace zen
