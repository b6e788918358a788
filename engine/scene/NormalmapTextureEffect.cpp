#include "engine/scene/NormalmapTextureEffect.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/Image.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NormalmapTextureEffect, TextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

// The relief lit from the texture's upper left, N . (0.5, 0.5, 1) (a flat texel gives 1),
// in texture space: no light, normals or tangents needed.
constexpr const char* kVertexProgram20 =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_texcoord0 v1\n"
    "dcl_texcoord1 v2\n"
    ZEN_COLOR_EFFECT_VERTEX_BODY
    "mov oT0, v1\n"
    "mov oT1, v2\n";

constexpr const char* kPixelProgram20 =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "def c9, 0.5, 0.5, 1, 0\n"
    "dcl v0\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s1\n"
    ZEN_UNPACK_NORMAL
    "dp3 r4.x, r1, c9\n"
    "mul r0.xyz, r0, r4.x\n"
    "mul r0, r0, v0\n"
    "mov oC0, r0\n";

constexpr const char* kVertexProgram11 =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_texcoord0 v1\n"
    "dcl_texcoord1 v2\n"
    ZEN_COLOR_EFFECT_VERTEX_BODY
    "mov oT0, v1\n"
    "mov oT1, v2\n";

constexpr const char* kPixelProgram11 =
    "ps.1.1\n"
    "def c1, 0.5, 0.5, 1, 0\n"
    "tex t0\n"
    "tex t1\n"
    "dp3 r1, t1_bx2, c1\n"
    "mul r0, t0, r1\n"
    "mul r0, r0, v0\n";

}  // namespace

NormalmapTextureEffect::NormalmapTextureEffect()
{
    RemoveTechniques();
    (void)AddTechnique(20, 20);
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

void NormalmapTextureEffect::SetNormalMap(Texture* texture)
{
    m_normalMap = texture;
    m_reliefMean = EffectSupport::ReliefMean(texture);
    PreparePasses();
}

Result NormalmapTextureEffect::SetNormalMapSet(uint32_t set)
{
    if (set >= GeometryNode::kTexCoordSets)
        return kInvalidArgument;
    if (set != m_normalMapSet) {
        m_normalMapSet = set;
        RebuildTechniques();
    }
    return kSuccess;
}

Ptr<GeometryNodeEffectPass> NormalmapTextureEffect::CreateBumpPass(const char* vertexName, const char* vertex,
                                                                   const char* pixelName, const char* pixel)
{
    Ptr<GeometryNodeEffectPass> pass = GeometryNodeEffectPass::Create(this, vertexName, vertex, pixelName, pixel);
    if (!pass || pass->AddInput(VertexElement::kNormals) != kSuccess)
        return nullptr;
    if (vertex && pass->AddInput(VertexElement::kTangents) != kSuccess)
        return nullptr;
    if (pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess)
        return nullptr;
    if (vertex && pass->AddInput(VertexElement::kTexCoords, m_normalMapSet) != kSuccess)
        return nullptr;
    return pass;
}

Result NormalmapTextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = GeometryNodeEffectPass::Create(this, "NormalmapTexture.vs20", kVertexProgram20, "NormalmapTexture.ps20",
                                              kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = GeometryNodeEffectPass::Create(this, "NormalmapTexture.vs11", kVertexProgram11, "NormalmapTexture.ps11",
                                              kPixelProgram11);
    else
        pass = GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess ||
        (technique != kFixedTechnique && pass->AddInput(VertexElement::kTexCoords, m_normalMapSet) != kSuccess))
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void NormalmapTextureEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    TextureEffect::PreparePass(pass, state);
    if (pass.UsesShaders())
        return;
    Vector4& factor = state.stages[0].textureFactor;
    factor.x *= m_reliefMean;
    factor.y *= m_reliefMean;
    factor.z *= m_reliefMean;
}

Result NormalmapTextureEffect::BindTextures(Renderer& renderer)
{
    if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess ||
        EffectSupport::CheckTexture(*this, m_normalMap.Get(), "карта нормалей") != kSuccess)
        return kFailure;
    renderer.SetTexture(0, GetTexture());
    renderer.SetTexture(1, m_normalMap.Get());
    return kSuccess;
}

Result NormalmapTextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode&)
{
    if (!pass.UsesShaders()) {
        if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess)
            return kFailure;
        renderer.SetTexture(0, GetTexture());
        return kSuccess;
    }
    if (BindTextures(renderer) != kSuccess)
        return kFailure;
    WriteColorConstants(renderer);
    return kSuccess;
}

Object* NormalmapTextureEffect::FindByName(const String& name)
{
    if (Object* found = TextureEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_normalMap.Get(), name);
}

void NormalmapTextureEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    TextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_normalMap.Get(), type, out);
}

Result NormalmapTextureEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (EffectSupport::SaveLink(*this, stream, m_normalMap.Get(), "карту нормалей") != kSuccess)
        return kFailure;
    return EffectSupport::SaveSet(*this, stream, m_normalMapSet, "номер набора текстурных координат карты нормалей");
}

Result NormalmapTextureEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t set = 0;
    Ptr<Texture> normalMap;
    if (EffectSupport::LoadLink(*this, stream, normalMap, "карту нормалей") != kSuccess ||
        EffectSupport::LoadSet(*this, stream, set, "номер набора текстурных координат карты нормалей") != kSuccess)
        return kFailure;
    SetNormalMap(normalMap.Get());
    return SetNormalMapSet(set);
}

void NormalmapTextureEffect::UpdateTextures(double time)
{
    TextureEffect::UpdateTextures(time);
    if (m_normalMap)
        m_normalMap->UpdateForFrame(time);
}

}  // namespace zen
