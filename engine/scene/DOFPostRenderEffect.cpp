#include "engine/scene/DOFPostRenderEffect.h"

#include <cmath>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CustomGlowPostRenderEffect.h"
#include "engine/scene/SceneNode.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(DOFPostRenderEffect, PostRenderEffect, kStartupSceneClasses)

// s0 the picture, s1 the blurred picture, s2 the packed depth. With d = red + green / 255 and
// c0 = (far / falloff, focus / falloff, range / falloff, most blur):
// blur = saturate(|d * c0.x - c0.y| - c0.z) * c0.w, out = lerp(picture, blurred, blur).
const char* const DOFPostRenderEffect::kCompositePixelProgram =
    "ps_2_0\n"
    "def c1, 0.00392156863, 0, 0, 0\n"
    "dcl t0.xy\n"
    "dcl_2d s0\n"
    "dcl_2d s1\n"
    "dcl_2d s2\n"
    "texld r0, t0, s0\n"
    "texld r1, t0, s1\n"
    "texld r2, t0, s2\n"
    "mad r3.x, r2.y, c1.x, r2.x\n"
    "mad r3.x, r3.x, c0.x, -c0.y\n"
    "abs r3.x, r3.x\n"
    "add_sat r3.x, r3.x, -c0.z\n"
    "mul r3.x, r3.x, c0.w\n"
    "lrp r4, r3.x, r1, r0\n"
    "mov oC0, r4\n";

namespace {

constexpr float kMinFalloff = 1e-3f;

bool AtLeast(float value, float least)
{
    return std::isfinite(value) && value >= least;
}

}  // namespace

DOFPostRenderEffect::DOFPostRenderEffect()
    : PostRenderEffect(20, 20),
      m_blur("Downsample Bloom Image", "Downsample Bloom Texture", "Blur Bloom Image", "Blur Bloom Texture",
             CustomGlowPostRenderEffect::kCopyPixelProgram)
{
    m_depthPass = new (std::nothrow) ScreenDepthPass();
    m_compositePass = MakeQuadPass("DOF.composite", ScreenBlur::kCopyVertexProgram, kCompositePixelProgram);
}

DOFPostRenderEffect::Parameters DOFPostRenderEffect::Usable() const
{
    const Parameters defaults;
    Parameters p = m_parameters;
    if (!std::isfinite(p.focalDistance))
        p.focalDistance = defaults.focalDistance;
    if (!AtLeast(p.focalRange, 0))
        p.focalRange = defaults.focalRange;
    if (!AtLeast(p.blurSpread, 0))
        p.blurSpread = defaults.blurSpread;
    if (!AtLeast(p.falloff, 0))
        p.falloff = defaults.falloff;
    p.falloff = p.falloff < kMinFalloff ? kMinFalloff : p.falloff;
    if (!std::isfinite(p.maxBlur))
        p.maxBlur = defaults.maxBlur;
    p.maxBlur = p.maxBlur < 0 ? 0 : (p.maxBlur > 1 ? 1 : p.maxBlur);
    return p;
}

float DOFPostRenderEffect::BlurAt(float depth) const
{
    const Parameters p = Usable();
    float blur = (std::fabs(depth - p.focalDistance) - p.focalRange) / p.falloff;
    blur = blur < 0 ? 0 : (blur > 1 ? 1 : blur);
    return blur * p.maxBlur;
}

void DOFPostRenderEffect::CompositeConstants(float far, float out[4]) const
{
    const Parameters p = Usable();
    out[0] = far / p.falloff;
    out[1] = p.focalDistance / p.falloff;
    out[2] = p.focalRange / p.falloff;
    out[3] = p.maxBlur;
}

bool DOFPostRenderEffect::DrawDepth(Renderer& renderer, uint32_t width, uint32_t height)
{
    SceneNode* owner = Owner();
    if (!owner || !m_depthPass || !renderer.GetCamera() ||
        !PrepareTarget(*this, m_depthTexture, "Screen Depth Image", "Screen Depth Texture", width, height))
        return false;
    renderer.BeginRenderTarget(m_depthTexture.Get());
    if (!renderer.RenderTargetActive())
        return false;
    renderer.Clear(Renderer::kClearColor | Renderer::kClearDepth, Vector4{1, 0, 0, 1}, 1.0f, 0);
    renderer.SetOverridePass(m_depthPass.Get());
    owner->Draw(&renderer);
    renderer.SetOverridePass(nullptr);
    renderer.EndRenderTarget();
    return true;
}

void DOFPostRenderEffect::Composite(Renderer& renderer)
{
    Texture* screen = ScreenTexture();
    if (!screen || !m_compositePass)
        return;
    const uint32_t width = screen->GetImage()->Width(), height = screen->GetImage()->Height();
    const Parameters p = Usable();
    Texture* blurred = nullptr;
    if (DrawDepth(renderer, width, height))
        blurred = m_blur.Run(*this, renderer, ScreenQuad(), screen, width, height, kDivisor, p.blurSpread,
                             kBlurRounds);
    float constants[4];
    CompositeConstants(renderer.GetCamera()->Far(), constants);
    if (!blurred)
        constants[3] = 0;  // Without the depth or the blur the picture stays sharp.
    renderer.SetPixelShaderConstants(0, constants, 1);
    if (PositionPass* pass = m_compositePass.Get(); pass->Begin(renderer, ScreenQuad()) == kSuccess) {
        renderer.SetTexture(0, screen);
        renderer.SetTexture(1, blurred ? blurred : screen);
        renderer.SetTexture(2, blurred ? static_cast<BaseTexture*>(m_depthTexture.Get()) : screen);
        const float halfTexel[4] = {0.5f / width, 0.5f / height, 0, 0};
        renderer.SetVertexShaderConstants(1, halfTexel, 1);
        renderer.DrawNonIndexed(2);
    }
}

void DOFPostRenderEffect::CollectByType(const Rtti* type, Array<Object*>& out)
{
    PostRenderEffect::CollectByType(type, out);
    if (m_compositePass) {
        if (VertexShader* shader = m_compositePass->GetVertexShader())
            shader->CollectByType(type, out);
        if (PixelShader* shader = m_compositePass->GetPixelShader())
            shader->CollectByType(type, out);
    }
}

Result DOFPostRenderEffect::Save(Stream& stream)
{
    if (PostRenderEffect::Save(stream) != kSuccess)
        return ParentSaveFailed();
    const Parameters& p = m_parameters;
    stream.WriteFloat(p.focalDistance);
    stream.WriteFloat(p.focalRange);
    stream.WriteFloat(p.blurSpread);
    stream.WriteFloat(p.falloff);
    stream.WriteFloat(p.maxBlur);
    if (stream.State() != kSuccess) {
        Error("Невозможно сохранить данные DOF. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result DOFPostRenderEffect::Load(Stream& stream)
{
    if (PostRenderEffect::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Parameters p;
    stream.ReadFloat(p.focalDistance);
    stream.ReadFloat(p.focalRange);
    stream.ReadFloat(p.blurSpread);
    stream.ReadFloat(p.falloff);
    stream.ReadFloat(p.maxBlur);
    if (stream.State() != kSuccess) {
        Error("Невозможно загрузить данные DOF. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_parameters = p;
    return kSuccess;
}

}  // namespace zen
