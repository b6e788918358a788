#pragma once
#include "engine/particles/ParticleSystem.h"

namespace zen {

// A particle system drawn as sprites ("ZEN.SpriteParticleSystem"), usually through a
// ZEN.SpriteEffect. Where the renderer has point sprites each particle is one point (position,
// colour and point size buffers of maxParticles elements); otherwise each becomes a square of
// two triangles facing the camera (position, colour and texture-coordinate buffers of
// 6 x maxParticles vertices), built only while the renderer has a camera. The buffers are made
// once for the pool and rewritten each update; the kind follows the renderer's capabilities
// and is made again if those change. No fields of its own: its stream form is the particle
// system's.
class SpriteParticleSystem : public ParticleSystem {
    ZEN_DECLARE_CLASS

public:
    SpriteParticleSystem() = default;

    // Points when the buffers are point buffers, triangles otherwise.
    int32_t GetPrimitiveType() const override { return m_pointSprites ? kPoints : kTriangles; }
    void CreateBuffers() override;
    bool UsesPointSprites() const { return m_pointSprites; }

protected:
    void UpdateDrawData() override;

private:
    // Whether the current renderer draws point sprites (false without a renderer).
    static bool RendererHasPointSprites();
    void WritePoints();
    void WriteQuads();

    bool m_pointSprites = false;  // The kind of the buffers made last.
    bool m_buffersMade = false;
};

}  // namespace zen
