#pragma once
#include <cstdint>
#include "engine/scene/NodeList.h"
#include "engine/scene/PostRenderEffect.h"
#include "engine/scene/ScreenBlur.h"

namespace zen {

// A glow around chosen nodes only ("ZEN.CustomGlowPostRenderEffect"): the picture is captured
// as usual; the glowing nodes are drawn again on their own into "Screen Glow Texture", which is
// shrunk and blurred ("Downsample Custom Glow Texture", "Blur Custom Glow Texture") and added to
// the picture times the intensity. Shader model 2.
// Stream form after the post-render fields: intensity (float32), blur spread in texels
// (float32), downsample divisor (uint32), then the glowing nodes (a node list).
class CustomGlowPostRenderEffect : public PostRenderEffect {
    ZEN_DECLARE_CLASS

public:
    static constexpr uint32_t kMaxDivisor = 64;
    static constexpr uint32_t kBlurRounds = 3;

    CustomGlowPostRenderEffect();

    void VisitReferences(ReferenceVisitor& visitor) override;  // Also the listed nodes.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    NodeList& GlowNodes() { return m_nodes; }
    float Intensity() const { return m_intensity; }
    void SetIntensity(float intensity) { m_intensity = intensity; }
    float BlurSpread() const { return m_spread; }
    void SetBlurSpread(float spread) { m_spread = spread; }
    uint32_t Divisor() const { return m_divisor; }
    void SetDivisor(uint32_t divisor) { m_divisor = divisor; }
    Texture* GlowTexture() const { return m_glowTexture.Get(); }

    static const char* const kCopyPixelProgram;

protected:
    void Composite(Renderer& renderer) override;

private:
    float m_intensity = 1.5f;
    float m_spread = 1.0f;
    uint32_t m_divisor = 4;
    NodeList m_nodes;
    Ptr<Texture> m_glowTexture;  // "Screen Glow Texture": the glowing nodes alone.
    ScreenBlur m_blur;
    Ptr<PositionPass> m_compositePass;
};

}  // namespace zen
