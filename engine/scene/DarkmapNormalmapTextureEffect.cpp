#include "engine/scene/DarkmapNormalmapTextureEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(DarkmapNormalmapTextureEffect, NormalmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

constexpr const char* kVertexProgram20Text =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_texcoord0 v1\n"
    "dcl_texcoord1 v2\n"
    "dcl_texcoord2 v3\n"
    ZEN_COLOR_EFFECT_VERTEX_BODY
    "mov oT0, v1\n"
    "mov oT1, v2\n"
    "mov oT2, v3\n";

constexpr const char* kPixelProgram20Text =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "def c9, 0.5, 0.5, 1, 0\n"
    "dcl v0\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "dcl_2d s2\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s1\n"
    "texld r2, t2, s2\n"
    ZEN_UNPACK_NORMAL
    "dp3 r4.x, r1, c9\n"
    "mul r0.xyz, r0, r4.x\n"
    "mul r0.xyz, r0, r2\n"
    "mul r0, r0, v0\n"
    "mov oC0, r0\n";

constexpr const char* kVertexProgram11Text =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_texcoord0 v1\n"
    "dcl_texcoord1 v2\n"
    "dcl_texcoord2 v3\n"
    ZEN_COLOR_EFFECT_VERTEX_BODY
    "mov oT0, v1\n"
    "mov oT1, v2\n"
    "mov oT2, v3\n";

constexpr const char* kPixelProgram11Text =
    "ps.1.1\n"
    "def c1, 0.5, 0.5, 1, 0\n"
    "tex t0\n"
    "tex t1\n"
    "tex t2\n"
    "dp3 r1, t1_bx2, c1\n"
    "mul r0, t0, r1\n"
    "mul r0, r0, t2\n"
    "mul r0, r0, v0\n";

}  // namespace

const char* const DarkmapNormalmapTextureEffect::kVertexProgram20 = kVertexProgram20Text;
const char* const DarkmapNormalmapTextureEffect::kPixelProgram20 = kPixelProgram20Text;
const char* const DarkmapNormalmapTextureEffect::kVertexProgram11 = kVertexProgram11Text;
const char* const DarkmapNormalmapTextureEffect::kPixelProgram11 = kPixelProgram11Text;

Result DarkmapNormalmapTextureEffect::SetDarkmapSet(uint32_t set)
{
    if (set >= GeometryNode::kTexCoordSets)
        return kInvalidArgument;
    if (set != m_darkmapSet) {
        m_darkmapSet = set;
        RebuildTechniques();
    }
    return kSuccess;
}

Result DarkmapNormalmapTextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = GeometryNodeEffectPass::Create(this, "DarkmapNormalmapTexture.vs20", kVertexProgram20Text,
                                              "DarkmapNormalmapTexture.ps20", kPixelProgram20Text);
    else if (technique == kVertexTechnique)
        pass = GeometryNodeEffectPass::Create(this, "DarkmapNormalmapTexture.vs11", kVertexProgram11Text,
                                              "DarkmapNormalmapTexture.ps11", kPixelProgram11Text);
    else
        pass = GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess)
        return kOutOfMemory;
    if (technique != kFixedTechnique && pass->AddInput(VertexElement::kTexCoords, NormalMapSet()) != kSuccess)
        return kOutOfMemory;
    if (pass->AddInput(VertexElement::kTexCoords, m_darkmapSet) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void DarkmapNormalmapTextureEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    NormalmapTextureEffect::PreparePass(pass, state);
    if (!pass.UsesShaders())
        EffectSupport::PrepareStage(state, 1, RenderState::kCombineMultiply);
}

Result DarkmapNormalmapTextureEffect::BindDarkmap(Renderer& renderer, uint32_t stage)
{
    if (EffectSupport::CheckTexture(*this, m_darkmap.Get(), "карта затенения") != kSuccess)
        return kFailure;
    renderer.SetTexture(stage, m_darkmap.Get());
    return kSuccess;
}

Result DarkmapNormalmapTextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (NormalmapTextureEffect::BindPass(pass, renderer, node) != kSuccess)
        return kFailure;
    return BindDarkmap(renderer, pass.UsesShaders() ? 2 : 1);
}

Object* DarkmapNormalmapTextureEffect::FindByName(const String& name)
{
    if (Object* found = NormalmapTextureEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_darkmap.Get(), name);
}

void DarkmapNormalmapTextureEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    NormalmapTextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_darkmap.Get(), type, out);
}

Result DarkmapNormalmapTextureEffect::Save(Stream& stream)
{
    if (NormalmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (EffectSupport::SaveLink(*this, stream, m_darkmap.Get(), "карту затенения") != kSuccess)
        return kFailure;
    return EffectSupport::SaveSet(*this, stream, m_darkmapSet, "номер набора текстурных координат карты затенения");
}

Result DarkmapNormalmapTextureEffect::Load(Stream& stream)
{
    if (NormalmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t set = 0;
    if (EffectSupport::LoadLink(*this, stream, m_darkmap, "карту затенения") != kSuccess ||
        EffectSupport::LoadSet(*this, stream, set, "номер набора текстурных координат карты затенения") != kSuccess)
        return kFailure;
    return SetDarkmapSet(set);
}

void DarkmapNormalmapTextureEffect::UpdateTextures(double time)
{
    NormalmapTextureEffect::UpdateTextures(time);
    if (m_darkmap)
        m_darkmap->UpdateForFrame(time);
}

}  // namespace zen
