#include "engine/scene/GlossReflectiveCubeTextureEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(GlossReflectiveCubeTextureEffect, ReflectiveCubeTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kShaderTechnique, kFixedTechnique };

constexpr const char* kVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord0 v2\n"
    "dcl_texcoord1 v3\n"
    ZEN_LIT_POSITION_FOG
    "add r2, v0, -c17\n"
    "dp3 r2.w, r2, r2\n"
    "rsq r2.w, r2.w\n"
    "mul r2.xyz, r2, r2.w\n"
    "dp3 r3.x, v1, r2\n"
    "add r3.x, r3.x, r3.x\n"
    "mad r4.xyz, -r3.x, v1, r2\n"
    "mul r5.xyz, r4.x, c20\n"
    "mad r5.xyz, r4.y, c21, r5\n"
    "mad oT1.xyz, r4.z, c22, r5\n"
    "mov oT0, v2\n"
    "mov oT2, v3\n"
    "mov oD0, c8\n";

constexpr const char* kPixelProgram =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "tex t2\n"
    "mul r0, t0, v0\n"
    "mul r1, t2, c0\n"
    "lrp r0.rgb, r1, t1, r0\n";

}  // namespace

Result GlossReflectiveCubeTextureEffect::SetGlossMapSet(uint32_t set)
{
    if (set >= GeometryNode::kTexCoordSets)
        return kInvalidArgument;
    if (set != m_glossMapSet) {
        m_glossMapSet = set;
        RebuildTechniques();
    }
    return kSuccess;
}

Result GlossReflectiveCubeTextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    if (technique != kShaderTechnique)
        return ReflectiveCubeTextureEffect::CreatePasses(technique, out);
    Ptr<GeometryNodeEffectPass> pass = GeometryNodeEffectPass::Create(
        this, "GlossReflectiveCubeTexture.vs11", kVertexProgram, "GlossReflectiveCubeTexture.ps11", kPixelProgram);
    if (!pass || pass->AddInput(VertexElement::kNormals) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, m_glossMapSet) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

Result GlossReflectiveCubeTextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (!pass.UsesShaders())
        return ReflectiveCubeTextureEffect::BindPass(pass, renderer, node);
    if (BindTextures(renderer) != kSuccess ||
        EffectSupport::CheckTexture(*this, m_glossMap.Get(), "карта блеска") != kSuccess)
        return kFailure;
    renderer.SetTexture(2, m_glossMap.Get());
    WriteReflectionConstants(renderer, node);
    return kSuccess;
}

Object* GlossReflectiveCubeTextureEffect::FindByName(const String& name)
{
    if (Object* found = ReflectiveCubeTextureEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_glossMap.Get(), name);
}

void GlossReflectiveCubeTextureEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    ReflectiveCubeTextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_glossMap.Get(), type, out);
}

Result GlossReflectiveCubeTextureEffect::Save(Stream& stream)
{
    if (ReflectiveCubeTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (EffectSupport::SaveLink(*this, stream, m_glossMap.Get(), "карту блеска") != kSuccess)
        return kFailure;
    return EffectSupport::SaveSet(*this, stream, m_glossMapSet, "номер набора текстурных координат карты блеска");
}

Result GlossReflectiveCubeTextureEffect::Load(Stream& stream)
{
    if (ReflectiveCubeTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    uint32_t set = 0;
    if (EffectSupport::LoadLink(*this, stream, m_glossMap, "карту блеска") != kSuccess ||
        EffectSupport::LoadSet(*this, stream, set, "номер набора текстурных координат карты блеска") != kSuccess)
        return kFailure;
    return SetGlossMapSet(set);
}

void GlossReflectiveCubeTextureEffect::UpdateTextures(double time)
{
    ReflectiveCubeTextureEffect::UpdateTextures(time);
    if (m_glossMap)
        m_glossMap->UpdateForFrame(time);
}

}  // namespace zen
