#pragma once
#include "engine/scene/NormalmapTextureEffect.h"

namespace zen {

// A normal-mapped texture with parallax ("ZEN.ParallaxTextureEffect"): the normal map's alpha is
// a height h, and both maps are sampled at uv + (h x scale - bias) x V.xy, V the unit eye vector
// in tangent space, so the relief seems to stand out of the surface; shaded as
// NormalmapTextureEffect. Technique 0: vs_2_0 (positions, normals, tangents, both coordinate
// sets) + ps_2_0; techniques 1 and 2: NormalmapTextureEffect's (without parallax). Stream form:
// the normal-map effect's fields, then scale and bias (float32 each, one message).
class ParallaxTextureEffect : public NormalmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    ParallaxTextureEffect() = default;

    float ParallaxScale() const { return m_scale; }
    float ParallaxBias() const { return m_bias; }
    void SetParallax(float scale, float bias);

    Result CreatePasses(uint32_t technique, Technique& out) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // Pixel constant c8 of the parallax programs: (scale, bias, 0, 0).
    void WriteParallaxConstants(Renderer& renderer) const;

private:
    float m_scale = 0.04f;  // Texture units per unit of height.
    float m_bias = 0.02f;
};

}  // namespace zen
