#pragma once
#include "engine/anim/TextureGenerator.h"
#include "engine/core/Vector4.h"

namespace zen {

// Fills its owner texture or volume texture with hash noise ("ZEN.NoiseTextureController"):
// every pixel is the lattice hash of its coordinates and a seed drawn from rand() per
// generation, scaled per byte by the colour. The values are not remapped, so negative ones wrap
// around in the byte. With the regenerate flag the pattern is made anew on every Update.
// Stream form after the controller block: regenerate flag (byte), colour (4 x float32).
class NoiseTextureController : public TextureGenerator {
    ZEN_DECLARE_CLASS

public:
    NoiseTextureController() = default;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    bool Regenerate() const { return m_regenerate; }
    void SetRegenerate(bool regenerate) { m_regenerate = regenerate; }
    const Vector4& Color() const { return m_color; }
    void SetColor(const Vector4& color) { m_color = color; }

    // The value of texel (x, y, z) for seed `seed` (z is 0 and unused for flat images).
    static float Value(uint32_t x, uint32_t y, uint32_t z, uint32_t seed, bool volume);

protected:
    bool AcceptsVolume() const override { return true; }
    bool GeneratesAgain() const override { return m_regenerate; }
    bool Generate(Image& image, bool volume) override;

private:
    bool m_regenerate = false;
    Vector4 m_color{1, 1, 1, 1};  // Per byte of the pixel: R, G, B, A.
};

}  // namespace zen
