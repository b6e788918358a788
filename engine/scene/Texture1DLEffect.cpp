#include "engine/scene/Texture1DLEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Texture1DLEffect, TextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

constexpr const char* kVertexProgram20 =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord v2\n"
    ZEN_LIT_POSITION_FOG
    "mov oT0, v2\n"
    "mov oT1.xyz, v1\n"
    "mov oT2.xyz, c16\n"
    "add oT3.xyz, c17, -v0\n";

constexpr const char* kPixelProgram20 =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "dcl t0.xy\n"
    "dcl t1.xyz\n"
    "dcl t2.xyz\n"
    "dcl t3.xyz\n"
    "dcl_2d s0\n"
    "texld r0, t0, s0\n"
    "nrm r1.xyz, t1\n"
    "mov r2.xyz, t2\n"
    "mov r3.xyz, t3\n"
    ZEN_LIT_PIXEL_1DL
    "mov oC0, r4\n";

constexpr const char* kVertexProgram11 =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord v2\n"
    ZEN_LIT_POSITION_FOG
    ZEN_LIT_VERTEX_1DL
    ZEN_LIT_VERTEX_OUT
    "mov oT0, v2\n";

constexpr const char* kPixelProgram11 =
    "ps.1.1\n"
    "tex t0\n"
    "mul r0, t0, v0\n"
    "add r0.rgb, r0, v1\n";

}  // namespace

Texture1DLEffect::Texture1DLEffect()
{
    // The colour effect's two techniques are replaced by the three of this one.
    RemoveTechniques();
    (void)AddTechnique(20, 20);
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

Result Texture1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = GeometryNodeEffectPass::Create(this, "Texture1DL.vs20", kVertexProgram20, "Texture1DL.ps20",
                                              kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = GeometryNodeEffectPass::Create(this, "Texture1DL.vs11", kVertexProgram11, "Texture1DL.ps11",
                                              kPixelProgram11);
    else
        pass = GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kNormals) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void Texture1DLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (!pass.UsesShaders())
        EffectSupport::PrepareLitStages(state, Color());
}

Result Texture1DLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (m_lighting.Check(*this, false) != kSuccess || EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess)
        return kFailure;
    renderer.SetTexture(0, GetTexture());
    if (!pass.UsesShaders())
        return m_lighting.PushLights(renderer, false);
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, true);
    return kSuccess;
}

Object* Texture1DLEffect::FindByName(const String& name)
{
    if (Object* found = TextureEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void Texture1DLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    TextureEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result Texture1DLEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, false);
}

Result Texture1DLEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, false);
}

}  // namespace zen
