#include "engine/scene/CloudsEffect.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"
#include "engine/scene/Texture.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(CloudsEffect, ColorEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

// Two layers of the same picture: the first moved by c20.xy, the second scaled by c21.x and
// moved by c20.zw.
#define ZEN_CLOUDS_VERTEX_BODY     \
    "dcl_position v0\n"            \
    "dcl_texcoord0 v1\n"           \
    ZEN_COLOR_EFFECT_VERTEX_BODY   \
    "add oT0.xy, v1, c20.xy\n"     \
    "mad oT1.xy, v1, c21.x, c20.zw\n"

constexpr const char* kVertexProgram20 = "vs_2_0\n" ZEN_CLOUDS_VERTEX_BODY;
constexpr const char* kVertexProgram11 = "vs_1_1\n" ZEN_CLOUDS_VERTEX_BODY;

// Density d = 2/3 first + 1/3 second layer; opacity saturate((d - coverage) x sharpness);
// colour x (1 - shade x opacity). c8 (coverage, sharpness, shade, 0), c9 the colour.
constexpr const char* kPixelProgram20 =
    "ps_2_0\n"
    "def c7, 0, 1, 0.6666667, 0.3333333\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl_2d s0\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s0\n"
    "mul r2.x, r0.w, c7.z\n"
    "mad r2.x, r1.w, c7.w, r2.x\n"
    "add r2.x, r2.x, -c8.x\n"
    "mul_sat r2.x, r2.x, c8.y\n"
    "mad r3.x, -r2.x, c8.z, c7.y\n"
    "mul r4.xyz, c9, r3.x\n"
    "mul r4.w, c9.w, r2.x\n"
    "mov oC0, r4\n";

// c1.a 2/3, c2.a the coverage, c3.a the sharpness / 4, c4 the shade; the colour in v0.
constexpr const char* kPixelProgram11 =
    "ps.1.1\n"
    "def c5, 1, 1, 1, 1\n"
    "tex t0\n"
    "tex t1\n"
    "lrp r0.a, c1, t0, t1\n"
    "sub r0.a, r0, c2\n"
    "mul_x4_sat r0.a, r0, c3\n"
    "mad r1.rgb, -r0.a, c4, c5\n"
    "mul r0.rgb, v0, r1\n"
    "mul r0.a, r0, v0\n";

float Clamp01(float value)
{
    return value < 0 ? 0 : value > 1 ? 1 : value;
}

}  // namespace

CloudsEffect::CloudsEffect()
{
    RemoveTechniques();
    (void)AddTechnique(20, 20);
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

void CloudsEffect::SetParameters(const Parameters& p)
{
    for (float value : {p.velocity[0], p.velocity[1], p.scale2, p.coverage, p.sharpness, p.shade})
        if (!std::isfinite(value))
            return;
    m_parameters = p;
    m_parameters.coverage = Clamp01(p.coverage);
    m_parameters.shade = Clamp01(p.shade);
    m_parameters.sharpness = std::max(0.0f, p.sharpness);
}

Vector4 CloudsEffect::LayerOffsets() const
{
    const Parameters& p = m_parameters;
    return Vector4{m_clock.Offset(p.velocity[0]), m_clock.Offset(p.velocity[1]), m_clock.Offset(p.velocity[0] * 0.5f),
                   m_clock.Offset(p.velocity[1] * 0.5f)};
}

float CloudsEffect::Opacity(float density) const
{
    return Clamp01((density - m_parameters.coverage) * m_parameters.sharpness);
}

void CloudsEffect::Update(double time)
{
    m_clock.Advance(time);
    ColorEffect::Update(time);
}

void CloudsEffect::UpdateTextures(double time)
{
    ColorEffect::UpdateTextures(time);
    if (BaseTexture* texture = GetEffectTexture())
        texture->UpdateForFrame(time);
}

Result CloudsEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = GeometryNodeEffectPass::Create(this, "Clouds.vs20", kVertexProgram20, "Clouds.ps20", kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = GeometryNodeEffectPass::Create(this, "Clouds.vs11", kVertexProgram11, "Clouds.ps11", kPixelProgram11);
    else
        pass = GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kTexCoords, 0) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

void CloudsEffect::PreparePass(GeometryNodeEffectPass& pass, RenderState& state)
{
    if (pass.UsesShaders())
        return;
    RenderState::Stage& stage = state.stages[0];
    stage.combineMode = RenderState::kCombineCustom;
    stage.colorOp = RenderState::kCombineSelect;
    stage.colorArg[0] = RenderState::kArgTextureFactor;
    stage.colorArgMod[0] = 0;
    stage.alphaOp = RenderState::kCombineMultiply;
    stage.alphaArg[0] = RenderState::kArgTexture;
    stage.alphaArg[1] = RenderState::kArgTextureFactor;
    stage.alphaArgMod[0] = stage.alphaArgMod[1] = 0;
    stage.textureFactor = Color();
}

Result CloudsEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode&)
{
    BaseTexture* texture = GetEffectTexture();
    if (texture && !texture->IsDerivedFrom(&Texture::TYPE))
        texture = nullptr;  // A cube or volume cannot be sampled as a flat layer.
    if (EffectSupport::CheckTexture(*this, texture, "текстура облаков") != kSuccess)
        return kFailure;
    renderer.SetTexture(0, texture);
    if (!pass.UsesShaders())
        return kSuccess;
    WriteColorConstants(renderer);
    const Parameters& p = m_parameters;
    const Vector4 offsets = LayerOffsets();
    const float vertex[8] = {offsets.x, offsets.y, offsets.z, offsets.w, p.scale2, 0, 0, 0};
    renderer.SetVertexShaderConstants(20, vertex, 2);
    const Vector4& color = Color();
    if (CurrentTechnique() && CurrentTechnique()->Index() == kPixelTechnique) {
        const float pixel[8] = {p.coverage, p.sharpness, p.shade, 0, color.x, color.y, color.z, color.w};
        renderer.SetPixelShaderConstants(8, pixel, 2);
    } else {
        renderer.SetTexture(1, texture);  // "tex t1" reads stage 1: the second layer.
        const float quarter = std::min(p.sharpness * 0.25f, 1.0f);
        const float pixel[16] = {0, 0, 0, 2.0f / 3, 0, 0, 0, p.coverage, 0, 0, 0, quarter, p.shade, p.shade, p.shade, 0};
        renderer.SetPixelShaderConstants(1, pixel, 4);
    }
    return kSuccess;
}

Result CloudsEffect::Save(Stream& stream)
{
    return EffectSupport::SaveLayerParameters<ColorEffect>(*this, stream, "параметры облаков");
}

Result CloudsEffect::Load(Stream& stream)
{
    return EffectSupport::LoadLayerParameters<ColorEffect>(*this, stream, "параметры облаков");
}

}  // namespace zen
