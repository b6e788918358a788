#pragma once
#include "engine/scene/PostRenderEffect.h"
#include "engine/scene/ScreenBlur.h"
#include "engine/scene/ScreenDepthPass.h"

namespace zen {

// Depth of field over everything below its scene node ("ZEN.DOFPostRenderEffect"): the picture
// is captured as usual; the same children are drawn once more through a ScreenDepthPass into
// "Screen Depth Texture" (the view depth of each pixel), the picture is shrunk and blurred
// through "Downsample Bloom Texture" and "Blur Bloom Texture", and the composite mixes sharp and
// blurred by how far each pixel lies from the focal plane: sharp within the focal range around
// the focal distance, growing over the falloff distance to the most blur beyond it. Blended
// geometry (particles, flares) is no part of the depth picture and takes the depth behind it.
// Shader model 2.
// Stream form after the post-render fields, as one group: focal distance, focal range (float32);
// blur spread in texels (float32); falloff distance, most blur 0-1 (float32).
class DOFPostRenderEffect : public PostRenderEffect {
    ZEN_DECLARE_CLASS

public:
    DOFPostRenderEffect();

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;
    // Visits the composite's programs too, so they can be found without a device.
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    struct Parameters {
        float focalDistance = 10.0f;
        float focalRange = 2.0f;
        float blurSpread = 1.5f;
        float falloff = 10.0f;
        float maxBlur = 1.0f;
    };
    const Parameters& GetParameters() const { return m_parameters; }
    void SetParameters(const Parameters& parameters) { m_parameters = parameters; }
    Texture* DepthTexture() const { return m_depthTexture.Get(); }
    Texture* BlurredTexture() const { return m_blur.Blurred(); }

    // The share of the blurred picture at view depth `depth` (what the composite computes from
    // the depth texture): 0 within the focal range, rising linearly over the falloff to maxBlur.
    // Unusable numbers (not finite, negative range or falloff) count as their defaults.
    float BlurAt(float depth) const;
    // The composite's pixel constant c0: (far / falloff, focal distance / falloff, focal range /
    // falloff, most blur) for a camera with the far distance `far`.
    void CompositeConstants(float far, float out[4]) const;

    static constexpr uint32_t kDivisor = 4;
    static constexpr uint32_t kBlurRounds = 3;
    static const char* const kCompositePixelProgram;

protected:
    void Composite(Renderer& renderer) override;

private:
    Parameters Usable() const;
    // Draws the owner's children through the depth pass into the depth texture; false (the
    // picture is then left sharp) when the target cannot be had.
    bool DrawDepth(Renderer& renderer, uint32_t width, uint32_t height);

    Parameters m_parameters;
    ScreenBlur m_blur;
    Ptr<ScreenDepthPass> m_depthPass;
    Ptr<Texture> m_depthTexture;  // "Screen Depth Texture" over "Screen Depth Image".
    Ptr<PositionPass> m_compositePass;
};

}  // namespace zen
