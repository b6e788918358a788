#include "engine/scene/ScreenBlur.h"

#include "engine/render/Renderer.h"
#include "engine/scene/PostRenderEffect.h"

namespace zen {

// Full-screen quad, t0 the texel centre (half-texel offset c1), t1-t4 its neighbours at c2.x
// texels right and left and c2.y texels down and up.
const char* const ScreenBlur::kBlurVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "def c8, 1, 0.5, 0, 0\n"
    "mov oPos.xy, v0\n"
    "mov oPos.zw, c8.zzzx\n"
    "add r0.x, v0.x, c8.x\n"
    "sub r0.y, c8.x, v0.y\n"
    "mul r0.xy, r0, c8.y\n"
    "add r0.xy, r0, c1\n"
    "mov oT0.xy, r0\n"
    "mov r1, c8.z\n"
    "mov r1.x, c2.x\n"
    "add oT1.xy, r0, r1\n"
    "sub oT2.xy, r0, r1\n"
    "mov r1.x, c8.z\n"
    "mov r1.y, c2.y\n"
    "add oT3.xy, r0, r1\n"
    "sub oT4.xy, r0, r1\n";

// 0.4 of the centre, 0.15 of each neighbour.
const char* const ScreenBlur::kBlurPixelProgram =
    "ps_2_0\n"
    "def c3, 0.4, 0.15, 0, 0\n"
    "dcl t0.xy\n"
    "dcl t1.xy\n"
    "dcl t2.xy\n"
    "dcl t3.xy\n"
    "dcl t4.xy\n"
    "dcl_2d s0\n"
    "texld r0, t0, s0\n"
    "texld r1, t1, s0\n"
    "texld r2, t2, s0\n"
    "texld r3, t3, s0\n"
    "texld r4, t4, s0\n"
    "add r1, r1, r2\n"
    "add r1, r1, r3\n"
    "add r1, r1, r4\n"
    "mul r1, r1, c3.y\n"
    "mad r0, r0, c3.x, r1\n"
    "mov oC0, r0\n";

const char* const ScreenBlur::kCopyVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "def c8, 1, 0.5, 0, 0\n"
    "mov oPos.xy, v0\n"
    "mov oPos.zw, c8.zzzx\n"
    "add r0.x, v0.x, c8.x\n"
    "sub r0.y, c8.x, v0.y\n"
    "mul r0.xy, r0, c8.y\n"
    "add oT0.xy, r0, c1\n";

ScreenBlur::ScreenBlur(const char* downsampleImage, const char* downsampleTexture, const char* blurImage,
                       const char* blurTexture, const char* downsampleProgram, const char* downsampleVertexProgram)
    : m_names{downsampleImage, downsampleTexture, blurImage, blurTexture}
{
    m_downsamplePass = PostRenderEffect::MakeQuadPass(downsampleTexture, downsampleVertexProgram, downsampleProgram);
    m_blurPass = PostRenderEffect::MakeQuadPass(blurTexture, kBlurVertexProgram, kBlurPixelProgram);
}

Texture* ScreenBlur::Run(const Object& owner, Renderer& renderer, Triangles* quad, BaseTexture* source,
                         uint32_t width, uint32_t height, uint32_t divisor, float spread, uint32_t rounds)
{
    if (!m_downsamplePass || !m_blurPass || !quad || !source)
        return nullptr;
    divisor = divisor == 0 ? 1 : divisor;
    const uint32_t w = width / divisor > 0 ? width / divisor : 1;
    const uint32_t h = height / divisor > 0 ? height / divisor : 1;
    if (!PostRenderEffect::PrepareTarget(owner, m_downsample, m_names[0], m_names[1], w, h) ||
        !PostRenderEffect::PrepareTarget(owner, m_blur, m_names[2], m_names[3], w, h))
        return nullptr;
    renderer.BeginRenderTarget(m_downsample.Get());
    if (!renderer.RenderTargetActive())
        return nullptr;
    // Each small pixel reads round the centre of the block of the source it stands for (half
    // a small texel in), not the block's first texel.
    const float texel[4] = {1.0f / w, 1.0f / h, 0, 0};
    renderer.SetVertexShaderConstants(2, texel, 1);
    PostRenderEffect::DrawQuad(renderer, *m_downsamplePass, quad, source, nullptr, w, h);
    renderer.EndRenderTarget();
    const float offsets[4] = {spread / w, spread / h, 0, 0};
    Texture* from = m_downsample.Get();
    Texture* to = m_blur.Get();
    rounds = rounds == 0 ? 1 : (rounds > kMaxRounds ? kMaxRounds : rounds);
    for (uint32_t round = 0; round < rounds; ++round) {
        renderer.BeginRenderTarget(to);
        renderer.SetVertexShaderConstants(2, offsets, 1);
        PostRenderEffect::DrawQuad(renderer, *m_blurPass, quad, from, nullptr, w, h);
        renderer.EndRenderTarget();
        Texture* swap = from;
        from = to;
        to = swap;
    }
    return from;
}

}  // namespace zen
