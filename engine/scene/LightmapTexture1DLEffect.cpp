#include "engine/scene/LightmapTexture1DLEffect.h"

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(LightmapTexture1DLEffect, LightmapTextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

constexpr const char* kVertexProgram20 =
    "vs_2_0\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord0 v2\n"
    "dcl_texcoord1 v3\n"
    ZEN_LIT_POSITION_FOG
    "mov oT0, v2\n"
    "mov oT1.xyz, v1\n"
    "mov oT2.xyz, c16\n"
    "add oT3.xyz, c17, -v0\n"
    "mov oT4, v3\n";

constexpr const char* kPixelProgram20 =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -1\n"
    "dcl t0.xy\n"
    "dcl t1.xyz\n"
    "dcl t2.xyz\n"
    "dcl t3.xyz\n"
    "dcl t4.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "texld r0, t0, s0\n"
    "texld r8, t4, s1\n"
    "mul r0.xyz, r0, r8\n"
    "nrm r1.xyz, t1\n"
    "mov r2.xyz, t2\n"
    "mov r3.xyz, t3\n"
    ZEN_LIT_PIXEL_1DL
    "mov oC0, r4\n";

constexpr const char* kVertexProgram11 =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord0 v2\n"
    "dcl_texcoord1 v3\n"
    ZEN_LIT_POSITION_FOG
    ZEN_LIT_VERTEX_1DL
    ZEN_LIT_VERTEX_OUT
    "mov oT0, v2\n"
    "mov oT1, v3\n";

constexpr const char* kPixelProgram11 =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "mul r0, t0, t1\n"
    "mul r0, r0, v0\n"
    "add r0.rgb, r0, v1\n";

}  // namespace

LightmapTexture1DLEffect::LightmapTexture1DLEffect()
{
    RemoveTechniques();
    (void)AddTechnique(20, 20);
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

Result LightmapTexture1DLEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = GeometryNodeEffectPass::Create(this, "LightmapTexture1DL.vs20", kVertexProgram20,
                                              "LightmapTexture1DL.ps20", kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = GeometryNodeEffectPass::Create(this, "LightmapTexture1DL.vs11", kVertexProgram11,
                                              "LightmapTexture1DL.ps11", kPixelProgram11);
    else
        pass = GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kNormals) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, LightmapSet()) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void LightmapTexture1DLEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    // Lit texture, x light map, x colour (the tint stage moves to 2).
    EffectSupport::PrepareLitStages(state, Color());
    state.stages[2] = state.stages[1];
    EffectSupport::PrepareStage(state, 1, RenderState::kCombineMultiply);
}

Result LightmapTexture1DLEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (m_lighting.Check(*this, false) != kSuccess || BindTextures(renderer, 1) != kSuccess)
        return kFailure;
    if (!pass.UsesShaders())
        return m_lighting.PushLights(renderer, false);
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, true);
    return kSuccess;
}

Object* LightmapTexture1DLEffect::FindByName(const String& name)
{
    if (Object* found = LightmapTextureEffect::FindByName(name))
        return found;
    return m_lighting.FindByName(name);
}

void LightmapTexture1DLEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    LightmapTextureEffect::CollectByType(type, out);
    m_lighting.CollectByType(type, out);
}

Result LightmapTexture1DLEffect::Save(Stream& stream)
{
    if (LightmapTextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    return m_lighting.Save(*this, stream, false);
}

Result LightmapTexture1DLEffect::Load(Stream& stream)
{
    if (LightmapTextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    return m_lighting.Load(*this, stream, false);
}

}  // namespace zen
