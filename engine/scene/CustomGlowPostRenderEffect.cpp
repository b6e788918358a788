#include "engine/scene/CustomGlowPostRenderEffect.h"

#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Bloom5PostRenderEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(CustomGlowPostRenderEffect, PostRenderEffect, kStartupSceneClasses)

const char* const CustomGlowPostRenderEffect::kCopyPixelProgram =
    "ps_2_0\n"
    "dcl t0.xy\n"
    "dcl_2d s0\n"
    "texld r0, t0, s0\n"
    "mov oC0, r0\n";

CustomGlowPostRenderEffect::CustomGlowPostRenderEffect()
    : PostRenderEffect(20, 20),
      m_blur("Downsample Custom Glow Image", "Downsample Custom Glow Texture", "Blur Custom Glow Image",
             "Blur Custom Glow Texture", kCopyPixelProgram)
{
    m_compositePass = MakeQuadPass("CustomGlow.composite", ScreenBlur::kCopyVertexProgram,
                                   Bloom5PostRenderEffect::kCompositePixelProgram);
}

void CustomGlowPostRenderEffect::Composite(Renderer& renderer)
{
    Texture* screen = ScreenTexture();
    if (!screen || !m_compositePass)
        return;
    const uint32_t width = screen->GetImage()->Width(), height = screen->GetImage()->Height();
    Texture* glow = nullptr;
    if (m_nodes.Count() > 0 && PrepareTarget(*this, m_glowTexture, "Screen Glow Image", "Screen Glow Texture", width,
                                             height)) {
        renderer.BeginRenderTarget(m_glowTexture.Get());
        if (renderer.RenderTargetActive()) {
            renderer.Clear(Renderer::kClearColor | Renderer::kClearDepth, Vector4{0, 0, 0, 0}, 1.0f, 0);
            const uint32_t queued = renderer.Deferred().Count();
            m_nodes.Draw(&renderer);
            renderer.FlushDeferredFrom(queued);
            renderer.EndRenderTarget();
            const uint32_t divisor = m_divisor == 0 || m_divisor > kMaxDivisor ? 4 : m_divisor;
            glow = m_blur.Run(*this, renderer, ScreenQuad(), m_glowTexture.Get(), width, height, divisor, m_spread,
                              kBlurRounds);
        }
    }
    const float scene[4] = {1, 1, 1, 1};
    const float amount[4] = {m_intensity, m_intensity, m_intensity, m_intensity};
    const float none[4] = {0, 0, 0, 0};
    renderer.SetPixelShaderConstants(0, scene, 1);
    renderer.SetPixelShaderConstants(1, glow ? amount : none, 1);
    DrawQuad(renderer, *m_compositePass, ScreenQuad(), screen, glow ? glow : screen, width, height);
}

Result CustomGlowPostRenderEffect::Save(Stream& stream)
{
    if (PostRenderEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    stream.WriteFloat(m_intensity);
    stream.WriteFloat(m_spread);
    stream.WriteUInt(m_divisor);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные свечения. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (m_nodes.Save(stream) != kSuccess) {
        Error("Невозможно сохранить узлы свечения. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result CustomGlowPostRenderEffect::Load(Stream& stream)
{
    if (PostRenderEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    stream.ReadFloat(m_intensity);
    stream.ReadFloat(m_spread);
    stream.ReadUInt(m_divisor);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные свечения. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    if (m_nodes.Load(stream) != kSuccess) {
        Error("Невозможно загрузить узлы свечения. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

void CustomGlowPostRenderEffect::VisitReferences(ReferenceVisitor& visitor)
{
    PostRenderEffect::VisitReferences(visitor);
    m_nodes.VisitReferences(visitor);
}

}  // namespace zen
