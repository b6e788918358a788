#pragma once
#include <cstdint>
#include <vector>
#include "engine/anim/TextureGenerator.h"
#include "engine/core/Vector4.h"

namespace zen {

// Fills its owner texture or volume texture with octave ("Perlin") noise
// ("ZEN.PerlinNoiseTextureController"): a hashed lattice of `latticeSize` cells per side,
// interpolated with cosine weights over `octaves` octaves, each of twice the frequency and
// `persistence` times the amplitude of the one before. Flat results lie in 0..1 (clamped sums
// mapped from -1..1); volume results are stretched to 0..1 and smoothed. Each generation logs
// the range it found before mapping ("Min[..] Max[..]").
// Stream form after the controller block: regenerate flag (byte), colour (4 x float32),
// octaves (int32), lattice size (int32), persistence (float32).
class PerlinNoiseTextureController : public TextureGenerator {
    ZEN_DECLARE_CLASS

public:
    // Limits beyond which a generation is refused with a log line: a lattice side (its cells
    // are held as floats, cubed for volumes) and the octave count (frequencies double).
    static constexpr int32_t kMaxLatticeSize = 1024;
    static constexpr int32_t kMaxVolumeLatticeSize = 256;
    static constexpr int32_t kMaxOctaves = 24;

    PerlinNoiseTextureController() = default;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

    bool Regenerate() const { return m_regenerate; }
    void SetRegenerate(bool regenerate) { m_regenerate = regenerate; }
    const Vector4& Color() const { return m_color; }
    void SetColor(const Vector4& color) { m_color = color; }
    int32_t Octaves() const { return m_octaves; }
    void SetOctaves(int32_t octaves) { m_octaves = octaves; }
    int32_t LatticeSize() const { return m_latticeSize; }
    void SetLatticeSize(int32_t size) { m_latticeSize = size; }
    float Persistence() const { return m_persistence; }
    void SetPersistence(float persistence) { m_persistence = persistence; }

    // The noise values (before the byte conversion) for a w x h (x d) field and `seed`, in the
    // image's order (x fastest, then y, then z). False, logged, when the parameters or sizes
    // are refused or memory is short; `out` is then unchanged.
    bool ComputeFlat(uint32_t width, uint32_t height, uint32_t seed, std::vector<float>& out);
    bool ComputeVolume(uint32_t width, uint32_t height, uint32_t depth, uint32_t seed, std::vector<float>& out);

protected:
    bool AcceptsVolume() const override { return true; }
    bool GeneratesAgain() const override { return m_regenerate; }
    bool Generate(Image& image, bool volume) override;

private:
    bool CheckParameters(bool volume);

    bool m_regenerate = false;
    Vector4 m_color{1, 1, 1, 1};
    int32_t m_octaves = 4;
    int32_t m_latticeSize = 16;  // Cells per side.
    float m_persistence = 0.5f;  // Amplitude ratio between octaves.
};

}  // namespace zen
