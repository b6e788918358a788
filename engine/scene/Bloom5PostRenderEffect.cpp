#include "engine/scene/Bloom5PostRenderEffect.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(Bloom5PostRenderEffect, PostRenderEffect, kStartupSceneClasses)

// The bright pass reads sixteen taps spread evenly over the block of the screen that a small
// pixel stands for, at (+-1/8, +-3/8) of a small texel (c2) from its centre (c1 half of one):
// with linear filtering they see every screen pixel of the block once when it is 4 or 8
// pixels wide, so a light a pixel or two across brightens its block wherever it falls instead
// of flickering in and out as it moves. Tap pairs travel in t0-t7: one at .xy, the other at
// .wz (read back through the .wzyx swizzle).
const char* const Bloom5PostRenderEffect::kTapVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "def c8, 1, 0.5, 0, 0\n"
    "def c9, -0.375, -0.125, 0.125, 0.375\n"
    "mov oPos.xy, v0\n"
    "mov oPos.zw, c8.zzzx\n"
    "add r0.x, v0.x, c8.x\n"
    "sub r0.y, c8.x, v0.y\n"
    "mul r0.xy, r0, c8.y\n"
    "add r0.xy, r0, c1\n"
    "mul r1, c9, c2.x\n"
    "mul r2, c9, c2.y\n"
    "add r3, r1, r0.x\n"
    "add r4, r2, r0.y\n"
    "mov oT0.xw, r3.xxxy\n"
    "mov oT0.yz, r4.x\n"
    "mov oT1.xw, r3.zzzw\n"
    "mov oT1.yz, r4.x\n"
    "mov oT2.xw, r3.xxxy\n"
    "mov oT2.yz, r4.y\n"
    "mov oT3.xw, r3.zzzw\n"
    "mov oT3.yz, r4.y\n"
    "mov oT4.xw, r3.xxxy\n"
    "mov oT4.yz, r4.z\n"
    "mov oT5.xw, r3.zzzw\n"
    "mov oT5.yz, r4.z\n"
    "mov oT6.xw, r3.xxxy\n"
    "mov oT6.yz, r4.w\n"
    "mov oT7.xw, r3.zzzw\n"
    "mov oT7.yz, r4.w\n";

// The mean over the taps of max(texel - threshold (c0), 0) (the texel is at most 1, so a
// saturated subtraction is that), times the bright scale (c1).
#define ZEN_BLOOM_TAP_PAIR(t)     \
    "texld r0, " t ", s0\n"       \
    "mov r1, " t ".wzyx\n"        \
    "texld r1, r1, s0\n"          \
    "add_sat r0, r0, -c0\n"       \
    "add_sat r1, r1, -c0\n"       \
    "add r2, r2, r0\n"            \
    "add r2, r2, r1\n"

const char* const Bloom5PostRenderEffect::kBrightPixelProgram =
    "ps_2_0\n"
    "def c3, 0.0625, 0, 0, 0\n"
    "dcl t0\n"
    "dcl t1\n"
    "dcl t2\n"
    "dcl t3\n"
    "dcl t4\n"
    "dcl t5\n"
    "dcl t6\n"
    "dcl t7\n"
    "dcl_2d s0\n"
    "mov r2, c3.y\n"
    ZEN_BLOOM_TAP_PAIR("t0") ZEN_BLOOM_TAP_PAIR("t1") ZEN_BLOOM_TAP_PAIR("t2") ZEN_BLOOM_TAP_PAIR("t3")
    ZEN_BLOOM_TAP_PAIR("t4") ZEN_BLOOM_TAP_PAIR("t5") ZEN_BLOOM_TAP_PAIR("t6") ZEN_BLOOM_TAP_PAIR("t7")
    "mul r2, r2, c1\n"
    "mul r2, r2, c3.x\n"
    "mov oC0, r2\n";

#undef ZEN_BLOOM_TAP_PAIR

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
             kBrightPixelProgram, kTapVertexProgram)
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
