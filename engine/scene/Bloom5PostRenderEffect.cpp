#include "engine/scene/Bloom5PostRenderEffect.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Bloom5PostRenderEffect, PostRenderEffect, kStartupSceneClasses)

// max(texel - threshold (c0), 0) * bright scale (c1).
const char* const Bloom5PostRenderEffect::kBrightPixelProgram =
    "ps_2_0\n"
    "def c2, 0, 0, 0, 0\n"
    "dcl t0.xy\n"
    "dcl_2d s0\n"
    "texld r0, t0, s0\n"
    "add r0, r0, -c0\n"
    "max r0, r0, c2\n"
    "mul r0, r0, c1\n"
    "mov oC0, r0\n";

// picture * scene intensity (c0.x) + blurred * tint * bloom intensity (c1).
const char* const Bloom5PostRenderEffect::kCompositePixelProgram =
    "ps_2_0\n"
    "dcl t0.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "texld r0, t0, s0\n"
    "texld r1, t0, s1\n"
    "mul r0, r0, c0.x\n"
    "mad r0, r1, c1, r0\n"
    "mov oC0, r0\n";

Bloom5PostRenderEffect::Bloom5PostRenderEffect()
    : PostRenderEffect(20, 20),
      m_blur("Downsample Bloom Image", "Downsample Bloom Texture", "Blur Bloom Image", "Blur Bloom Texture",
             kBrightPixelProgram)
{
    m_compositePass = MakeQuadPass("Bloom5.composite", ScreenBlur::kCopyVertexProgram, kCompositePixelProgram);
}

void Bloom5PostRenderEffect::Composite(Renderer& renderer)
{
    Texture* screen = ScreenTexture();
    if (!screen || !m_compositePass)
        return;
    const Parameters& p = m_parameters;
    const uint32_t width = screen->GetImage()->Width(), height = screen->GetImage()->Height();
    const float threshold[4] = {p.threshold, p.threshold, p.threshold, 0};
    const float scale[4] = {p.brightScale, p.brightScale, p.brightScale, p.brightScale};
    renderer.SetPixelShaderConstants(0, threshold, 1);
    renderer.SetPixelShaderConstants(1, scale, 1);
    const float divisor = std::isfinite(p.downsample) && p.downsample >= 1 && p.downsample <= 64 ? p.downsample : 4.0f;
    Texture* bloom = m_blur.Run(*this, renderer, ScreenQuad(), screen, width, height, static_cast<uint32_t>(divisor),
                                p.blurSpread, kBlurRounds);
    const float scene[4] = {p.sceneIntensity, p.sceneIntensity, p.sceneIntensity, p.sceneIntensity};
    const float glow[4] = {p.tint.x * p.bloomIntensity, p.tint.y * p.bloomIntensity, p.tint.z * p.bloomIntensity,
                           p.tint.w * p.bloomIntensity};
    const float none[4] = {0, 0, 0, 0};
    renderer.SetPixelShaderConstants(0, scene, 1);
    renderer.SetPixelShaderConstants(1, bloom ? glow : none, 1);
    DrawQuad(renderer, *m_compositePass, ScreenQuad(), screen, bloom ? bloom : screen, width, height);
}

Result Bloom5PostRenderEffect::Save(Stream& stream)
{
    if (PostRenderEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    const Parameters& p = m_parameters;
    stream.WriteFloat(p.threshold);
    stream.WriteFloat(p.brightScale);
    stream.WriteFloat(p.blurSpread);
    stream.WriteFloat(p.sceneIntensity);
    stream.WriteFloat(p.bloomIntensity);
    stream.WriteVector4(p.tint);
    stream.WriteFloat(p.downsample);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные блюма. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result Bloom5PostRenderEffect::Load(Stream& stream)
{
    if (PostRenderEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Parameters p;
    stream.ReadFloat(p.threshold);
    stream.ReadFloat(p.brightScale);
    stream.ReadFloat(p.blurSpread);
    stream.ReadFloat(p.sceneIntensity);
    stream.ReadFloat(p.bloomIntensity);
    stream.ReadVector4(p.tint);
    stream.ReadFloat(p.downsample);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные блюма. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_parameters = p;
    return kSuccess;
}

}  // namespace zen
