#include "engine/scene/ReflectiveCubeTextureEffect.h"

#include "engine/core/Matrix4.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/LitPrograms.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ReflectiveCubeTextureEffect, TextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kShaderTechnique, kFixedTechnique };

// The incident ray from the eye to the vertex reflected about the normal, R = I - 2 (N.I) N,
// carried to world space by the world rows c20-c22.
constexpr const char* kVertexProgram =
    "vs_1_1\n"
    "dcl_position v0\n"
    "dcl_normal v1\n"
    "dcl_texcoord v2\n"
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
    "mov oD0, c8\n";

constexpr const char* kPixelProgram =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "mul r0, t0, v0\n"
    "lrp r0.rgb, c0, t1, r0\n";

constexpr float kCubeMean = 0.5f;  // A cube of saturated faces averages about middle grey.

}  // namespace

ReflectiveCubeTextureEffect::ReflectiveCubeTextureEffect() = default;  // The colour effect's two techniques.

void ReflectiveCubeTextureEffect::SetReflectivity(float reflectivity)
{
    m_reflectivity = reflectivity < 0 ? 0 : reflectivity > 1 ? 1 : reflectivity;
    PreparePasses();
}

Result ReflectiveCubeTextureEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass =
        technique == kShaderTechnique
            ? GeometryNodeEffectPass::Create(this, "ReflectiveCubeTexture.vs11", kVertexProgram,
                                             "ReflectiveCubeTexture.ps11", kPixelProgram)
            : GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kNormals) != kSuccess ||
        pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void ReflectiveCubeTextureEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    // r x the cube's mean + (1 - r) x texture, in one stage: the device has one texture factor,
    // whose colour is the mean and whose alpha the reflectivity (the colour is left out).
    RenderState::Stage& stage = state.stages[0];
    stage.combineMode = RenderState::kCombineCustom;
    stage.colorOp = RenderState::kCombineLerp;
    stage.colorArg[0] = RenderState::kArgTextureFactor;
    stage.colorArgMod[0] = RenderState::kArgAlphaReplicate;
    stage.colorArg[1] = RenderState::kArgTextureFactor;
    stage.colorArgMod[1] = 0;
    stage.colorArg[2] = RenderState::kArgTexture;
    stage.colorArgMod[2] = 0;
    stage.alphaOp = RenderState::kCombineSelect;
    stage.alphaArg[0] = RenderState::kArgTexture;
    stage.alphaArgMod[0] = 0;
    stage.textureFactor = Vector4{kCubeMean, kCubeMean, kCubeMean, m_reflectivity};
}

void ReflectiveCubeTextureEffect::WriteReflectionConstants(Renderer& renderer, GeometryNode& node) const
{
    m_lighting.WriteConstants(renderer, *this, Color(), node, false, false);
    WriteColorConstants(renderer);
    const Matrix4 world = node.WorldTransform().ToMatrix();
    renderer.SetVertexShaderConstants(kWorldRegister, &world.m[0][0], 3);
    const float amount[4] = {m_reflectivity, m_reflectivity, m_reflectivity, m_reflectivity};
    renderer.SetPixelShaderConstants(0, amount, 1);
}

Result ReflectiveCubeTextureEffect::BindTextures(Renderer& renderer)
{
    if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess ||
        EffectSupport::CheckTexture(*this, m_cubeMap.Get(), "кубическая карта") != kSuccess)
        return kFailure;
    renderer.SetTexture(0, GetTexture());
    renderer.SetTexture(1, m_cubeMap.Get());
    return kSuccess;
}

Result ReflectiveCubeTextureEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node)
{
    if (!pass.UsesShaders()) {
        if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess)
            return kFailure;
        renderer.SetTexture(0, GetTexture());
        return kSuccess;
    }
    if (BindTextures(renderer) != kSuccess)
        return kFailure;
    WriteReflectionConstants(renderer, node);
    return kSuccess;
}

Object* ReflectiveCubeTextureEffect::FindByName(const String& name)
{
    if (Object* found = TextureEffect::FindByName(name))
        return found;
    return EffectSupport::FindIn(m_cubeMap.Get(), name);
}

void ReflectiveCubeTextureEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    TextureEffect::CollectByType(type, out);
    EffectSupport::CollectIn(m_cubeMap.Get(), type, out);
}

Result ReflectiveCubeTextureEffect::Save(Stream& stream)
{
    if (TextureEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (EffectSupport::SaveLink(*this, stream, m_cubeMap.Get(), "кубическую карту") != kSuccess)
        return kFailure;
    return EffectSupport::SaveFloats(*this, stream, &m_reflectivity, 1, "коэффициент отражения");
}

Result ReflectiveCubeTextureEffect::Load(Stream& stream)
{
    if (TextureEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    float reflectivity = 0;
    if (EffectSupport::LoadLink(*this, stream, m_cubeMap, "кубическую карту") != kSuccess ||
        EffectSupport::LoadFloats(*this, stream, &reflectivity, 1, "коэффициент отражения") != kSuccess)
        return kFailure;
    SetReflectivity(reflectivity);
    return kSuccess;
}

void ReflectiveCubeTextureEffect::UpdateTextures(double time)
{
    TextureEffect::UpdateTextures(time);
    if (m_cubeMap)
        m_cubeMap->UpdateForFrame(time);
}

}  // namespace zen
