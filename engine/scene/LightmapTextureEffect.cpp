#include "engine/scene/LightmapTextureEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(LightmapTextureEffect, TextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kShaderTechnique, kFixedTechnique };

constexpr const char* kVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_texcoord0 v1\n"
    "dcl_texcoord1 v2\n"
    ZEN_COLOR_EFFECT_VERTEX_BODY
    "mov oT0, v1\n"
    "mov oT1, v2\n";

constexpr const char* kPixelProgram =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "mul r0, t0, t1\n"
    "mul r0, r0, v0\n";

}  // namespace

LightmapTextureEffect::LightmapTextureEffect() = default;  // The colour effect's two techniques.

Result LightmapTextureEffect::SetLightmapSet(uint32_t set)
{
    if (set >= GeometryNode::kTexCoordSets)
        return kInvalidArgument;
    if (set != m_lightmapSet) {
        m_lightmapSet = set;
        RebuildTechniques();
    }
    return kSuccess;
}

Result LightmapTextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass =
        technique == kShaderTechnique
            ? GeometryNodeEffectPass::Create(this, "LightmapTexture.vs11", kVertexProgram, "LightmapTexture.ps11",
                                             kPixelProgram)
            : GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, m_lightmapSet) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void LightmapTextureEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    TextureEffect::PreparePass(pass, state);
    if (!pass.UsesShaders())
        EffectSupport::PrepareStage(state, 1, RenderState::kCombineMultiply);
}

Result LightmapTextureEffect::BindTextures(Renderer& renderer, uint32_t lightmapStage)
{
    if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess ||
        EffectSupport::CheckTexture(*this, m_lightmap.Get(), "карта освещения") != kSuccess)
        return kFailure;
    renderer.SetTexture(0, GetTexture());
    renderer.SetTexture(lightmapStage, m_lightmap.Get());
    return kSuccess;
}

Result LightmapTextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode&)
{
    if (BindTextures(renderer, 1) != kSuccess)
        return kFailure;
    if (pass.UsesShaders())
        WriteColorConstants(renderer);
    return kSuccess;
}

Object* LightmapTextureEffect::FindByName(const String& name)
{
    if (Object* found = TextureEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_lightmap.Get(), name);
}

void LightmapTextureEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    TextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_lightmap.Get(), type, out);
}

Result LightmapTextureEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (EffectSupport::SaveLink(*this, stream, m_lightmap.Get(), "карту освещения") != kSuccess)
        return kFailure;
    return EffectSupport::SaveSet(*this, stream, m_lightmapSet, "номер набора текстурных координат карты освещения");
}

Result LightmapTextureEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t set = 0;
    if (EffectSupport::LoadLink(*this, stream, m_lightmap, "карту освещения") != kSuccess ||
        EffectSupport::LoadSet(*this, stream, set, "номер набора текстурных координат карты освещения") != kSuccess)
        return kFailure;
    return SetLightmapSet(set);
}

void LightmapTextureEffect::UpdateTextures(double time)
{
    TextureEffect::UpdateTextures(time);
    if (m_lightmap)
        m_lightmap->UpdateForFrame(time);
}

}  // namespace zen
