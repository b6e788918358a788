#pragma once
#include "engine/core/Vector4.h"
#include "engine/scene/PostRenderEffect.h"
#include "engine/scene/ScreenBlur.h"

namespace zen {

// Bloom over everything below its scene node ("ZEN.Bloom5PostRenderEffect"): what is brighter
// than the threshold is kept (scaled), averaged over each block of the screen into "Downsample
// Bloom Texture", blurred with five taps through "Blur Bloom Texture", and added, tinted, to
// the picture, so a bright spot gets a halo that fades with distance. Shader model 2. The
// small targets cost little; with a divisor of 8 they are a sixty-fourth of the screen.
// Stream form after the post-render fields, as one group: threshold, bright scale (float32);
// blur spread in texels (float32); scene intensity, bloom intensity (float32); tint (colour);
// downsample divisor (float32, the intermediate targets are that many times smaller a side).
class Bloom5PostRenderEffect : public PostRenderEffect {
    ZEN_DECLARE_CLASS

public:
    Bloom5PostRenderEffect();

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    struct Parameters {
        float threshold = 0.6f;
        float brightScale = 2.0f;
        float blurSpread = 1.0f;
        float sceneIntensity = 1.0f;
        float bloomIntensity = 1.0f;
        Vector4 tint{1, 1, 1, 1};
        float downsample = 4.0f;
    };
    const Parameters& GetParameters() const { return m_parameters; }
    void SetParameters(const Parameters& parameters) { m_parameters = parameters; }

    static const char* const kTapVertexProgram;
    static const char* const kBrightPixelProgram;
    static const char* const kCompositePixelProgram;
    static constexpr uint32_t kBlurRounds = 3;

protected:
    void Composite(Renderer& renderer) override;

private:
    Parameters m_parameters;
    ScreenBlur m_blur;
    Ptr<PositionPass> m_compositePass;
};

}  // namespace zen
