#pragma once
#include "engine/anim/RenderTextureController.h"
#include "engine/core/Ptr.h"
#include "engine/scene/PositionPass.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/VolumeTexture.h"

namespace zen {

// Renders a moving water normal map into its owner texture every frame
// ("ZEN.RenderWavesTextureController"): a full-screen quad samples a slice of a noise volume
// at depth time x speed, takes forward differences one texel to the right and up, scales them
// by the bump and writes the normal as n * 0.5 + 0.5. Needs shader model 2; without it nothing
// is drawn. The default noise volume ("Perlin volume texture", 128^3 grey voxels) carries its
// own octave-noise generator, which runs on the first Update.
// Stream form after the controller block: speed, bump (float32 each), the noise texture link.
class RenderWavesTextureController : public RenderTextureController {
    ZEN_DECLARE_CLASS

public:
    RenderWavesTextureController();

    // Advances the time, updates the noise texture (its generator), registers for the frame.
    void Update(double elapsed) override;
    void PostUpdate() override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    float Speed() const { return m_speed; }
    void SetSpeed(float speed) { m_speed = speed; }
    float Bump() const { return m_bump; }
    void SetBump(float bump) { m_bump = bump; }
    float Time() const { return m_time; }
    VolumeTexture* NoiseTexture() const { return m_noise.Get(); }
    void SetNoiseTexture(VolumeTexture* noise) { m_noise = noise; }

    static const char* const kVertexProgram;
    static const char* const kPixelProgram;

private:
    float m_speed = 0.05f;  // Noise volume depths per second.
    float m_time = 0;       // Seconds; not saved.
    float m_bump = 5.0f;
    Ptr<PositionPass> m_pass;
    Ptr<Triangles> m_quad;
    Ptr<VolumeTexture> m_noise;
};

}  // namespace zen
