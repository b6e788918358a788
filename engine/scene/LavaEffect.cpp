#include "engine/scene/LavaEffect.h"

#include <cmath>

#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/EffectSupport.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(LavaEffect, TextureEffect, kStartupSceneClasses)

namespace {

enum : uint32_t { kPixelTechnique, kVertexTechnique, kFixedTechnique };

constexpr double kTwoPi = 6.283185307179586;

#define ZEN_LAVA_VERTEX_BODY       \
    "dcl_position v0\n"            \
    "dcl_texcoord0 v1\n"           \
    ZEN_COLOR_EFFECT_VERTEX_BODY   \
    "add oT0.xy, v1, c20.xy\n"     \
    "mad oT1.xy, v1, c21.x, c20.zw\n"

constexpr const char* kVertexProgram20 = "vs_2_0\n" ZEN_LAVA_VERTEX_BODY;
constexpr const char* kVertexProgram11 = "vs_1_1\n" ZEN_LAVA_VERTEX_BODY;

// c8.x the warp, c9 the colour x pulse.
constexpr const char* kPixelProgram20 =
    "ps_2_0\n"
    "def c7, 0, 1, 2, -0.5\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl_2d s0\n"
    "texld r1, t1, s0\n"
    "add r2.xy, r1, c7.w\n"
    "mad r2.xy, r2, c8.x, t0\n"
    "texld r0, r2, s0\n"
    "mul r0.xyz, r0, r1\n"
    "mul r0.xyz, r0, c7.z\n"
    "mul r0, r0, c9\n"
    "mov oC0, r0\n";

// c0 the colour x pulse / 2, alpha / 4 (constants of these programs stay within 1).
constexpr const char* kPixelProgram11 =
    "ps.1.1\n"
    "tex t0\n"
    "tex t1\n"
    "mul_x2 r0, t0, t1\n"
    "mul_x2 r0, r0, c0\n";

}  // namespace

LavaEffect::LavaEffect()
{
    RemoveTechniques();
    (void)AddTechnique(20, 20);
    (void)AddTechnique(11, 11);
    (void)AddTechnique(0, 0);
}

void LavaEffect::SetParameters(const Parameters& p)
{
    for (float value : {p.velocity[0], p.velocity[1], p.scale2, p.warp, p.pulseRate, p.glow})
        if (!std::isfinite(value))
            return;
    m_parameters = p;
    m_parameters.glow = p.glow < 0 ? 0 : p.glow > 1 ? 1 : p.glow;
}

float LavaEffect::Pulse() const
{
    return 1.0f + m_parameters.glow * static_cast<float>(std::sin(kTwoPi * m_parameters.pulseRate * m_clock.Seconds()));
}

Vector4 LavaEffect::LayerOffsets() const
{
    const Parameters& p = m_parameters;
    return Vector4{m_clock.Offset(p.velocity[0]), m_clock.Offset(p.velocity[1]), m_clock.Offset(-p.velocity[0] / 3),
                   m_clock.Offset(-p.velocity[1] / 3)};
}

void LavaEffect::Update(double time)
{
    m_clock.Advance(time);
    TextureEffect::Update(time);
}

Result LavaEffect::CreatePasses(uint32_t technique, Technique& out)
{
    Ptr<GeometryNodeEffectPass> pass;
    if (technique == kPixelTechnique)
        pass = GeometryNodeEffectPass::Create(this, "Lava.vs20", kVertexProgram20, "Lava.ps20", kPixelProgram20);
    else if (technique == kVertexTechnique)
        pass = GeometryNodeEffectPass::Create(this, "Lava.vs11", kVertexProgram11, "Lava.ps11", kPixelProgram11);
    else
        pass = GeometryNodeEffectPass::Create(this, nullptr, nullptr, nullptr, nullptr);
    if (!pass || pass->AddInput(VertexElement::kTexCoords, TexCoordSet()) != kSuccess)
        return kOutOfMemory;
    return out.AddPass(pass.Get());
}

Result LavaEffect::BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode&)
{
    if (EffectSupport::CheckTexture(*this, GetTexture()) != kSuccess)
        return kFailure;
    renderer.SetTexture(0, GetTexture());
    if (!pass.UsesShaders())
        return kSuccess;
    WriteColorConstants(renderer);
    const Parameters& p = m_parameters;
    const Vector4 offsets = LayerOffsets();
    const float vertex[8] = {offsets.x, offsets.y, offsets.z, offsets.w, p.scale2, 0, 0, 0};
    renderer.SetVertexShaderConstants(20, vertex, 2);
    const Vector4& c = Color();
    const float pulse = Pulse();
    if (CurrentTechnique() && CurrentTechnique()->Index() == kPixelTechnique) {
        const float pixel[8] = {p.warp, 0, 0, 0, c.x * pulse, c.y * pulse, c.z * pulse, c.w};
        renderer.SetPixelShaderConstants(8, pixel, 2);
    } else {
        renderer.SetTexture(1, GetTexture());  // "tex t1" reads stage 1: the slow layer.
        auto half = [pulse](float v) { return std::fmin(v * pulse * 0.5f, 1.0f); };
        // Alpha goes through both doublings: a quarter of it keeps the texture's alpha x colour's.
        const float pixel[4] = {half(c.x), half(c.y), half(c.z), c.w * 0.25f};
        renderer.SetPixelShaderConstants(0, pixel, 1);
    }
    return kSuccess;
}

Result LavaEffect::Save(Stream& stream)
{
    return EffectSupport::SaveLayerParameters<TextureEffect>(*this, stream, "параметры лавы");
}

Result LavaEffect::Load(Stream& stream)
{
    return EffectSupport::LoadLayerParameters<TextureEffect>(*this, stream, "параметры лавы");
}

}  // namespace zen
