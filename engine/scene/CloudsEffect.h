#pragma once
#include "engine/scene/EffectClock.h"
#include "engine/scene/ColorEffect.h"

namespace zen {

// Drifting clouds ("ZEN.CloudsEffect"): the effect's texture (the base effect's texture link, a
// ZEN.Texture whose alpha is the cloud density, such as an octave-noise picture) is sampled in
// two layers that the wind moves at different speeds and scales; their mix above the coverage,
// sharpened, is the cloud's opacity, and its colour is the effect's colour darkened where the
// cloud is thick. Meant to be blended (the effect's blending, which also sends the node to the
// back-to-front queue). Inputs: positions and texture coordinates (set 0). Technique 0: vs_2_0 +
// ps_2_0; technique 1: vs_1_1 + ps.1.1 (sharpness up to 4); technique 2:
// fixed function, the colour with the texture's density as alpha, still (over a blended
// destination it adds its colour by that density). A missing texture draws nothing (logged
// once). Update(elapsed) moves the layers and runs the texture's controllers. Stream form: the colour effect's fields, then the
// parameters (six float32: wind velocity u and v, the second layer's scale, coverage,
// sharpness, shade; one message).
class CloudsEffect : public ColorEffect {
    ZEN_DECLARE_CLASS

public:
    struct Parameters {
        float velocity[2] = {0.01f, 0.004f};  // Texture units per second, first layer.
        float scale2 = 2.7f;                  // The second layer's tiling; it moves at half speed.
        float coverage = 0.35f;               // Density below which the sky stays clear, 0-1.
        float sharpness = 3.0f;               // How fast the opacity rises above the coverage.
        float shade = 0.35f;                  // How much thick cloud darkens its colour, 0-1.
    };

    CloudsEffect();

    const Parameters& GetParameters() const { return m_parameters; }
    // Non-finite values leave the old parameters; coverage and shade are clamped to 0-1, the
    // sharpness to at least 0.
    void SetParameters(const Parameters& parameters);
    double CloudTime() const { return m_clock.Seconds(); }
    // Both layers' offsets now, in 0-1: (u1, v1, u2, v2).
    Vector4 LayerOffsets() const;
    // The opacity the shader programs give a mix of the layers' densities (0-1).
    float Opacity(float density) const;

    void Update(double time) override;
    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // Also the effect texture's controllers (ColorEffect has none of its own).
    void UpdateTextures(double time) override;

private:
    Parameters m_parameters;
    EffectClock m_clock;
};

}  // namespace zen
