#pragma once
#include "engine/scene/CubeTexture.h"
#include "engine/scene/EffectClock.h"
#include "engine/scene/ParallaxTextureEffect.h"

namespace zen {

// Open water in motion ("ZEN.FlatWaterEffect"): two layers of the normal map drift over the
// surface at their own speeds and scales, and their sum tilts it; the surface mirrors the sky
// cube along the reflected eye ray with the projected (planar) reflection of what stands above
// laid over it, weighted by Fresnel's law, over the water colour (texture x colour) through
// which the refraction picture shows by the clarity. Both screen pictures shift with the tilt.
// The water is level in its model space (normal map: u along +x, v along +z); fog as the other
// effects. Inputs: positions, normals, the texture's and the normal map's coordinate sets.
// Technique 0: vs_2_0 + ps_2_0 (s0 texture, s1 normal map, s2 sky cube, s3 refraction, s4
// projected reflection); technique 1: vs_1_1 + ps.1.1, the flat surface with Fresnel and the
// screen position per vertex (t0 texture, t1 cube, t2 refraction, t3 reflection); technique 2:
// fixed function, the texture x the colour with the cube's mean colour mixed into it. A missing texture, normal map,
// cube, refraction or reflection draws nothing (logged once). Update(elapsed) moves the waves and runs the textures' controllers.
// Stream form: the parallax effect's fields, the cube (link to a ZEN.CubeTexture), the
// refraction and the reflection (links to ZEN.Textures), then the wave parameters (nine float32:
// both layers' velocities, the second layer's scale, bumpiness, distortion, Fresnel R0,
// clarity; one message).
class FlatWaterEffect : public ParallaxTextureEffect {
    ZEN_DECLARE_CLASS

public:
    struct Waves {
        float velocity1[2] = {0.03f, 0.012f};   // Texture units per second, first layer.
        float velocity2[2] = {-0.017f, 0.021f}; // Second layer.
        float scale2 = 2.3f;                    // The second layer's tiling against the first.
        float bumpiness = 1.0f;                 // Scales the layers' tilt.
        float distortion = 0.03f;               // Screen-texture units of shift for a full tilt.
        float fresnelBias = 0.02f;              // R0; clamped to 0-1.
        float clarity = 0.5f;                   // How much of the refraction shows; clamped to 0-1.
    };
    // The part of the reflection the fixed-function technique gives, for lack of the angle.
    static constexpr float kFixedReflection = 0.35f;

    FlatWaterEffect() = default;

    CubeTexture* GetCubeMap() const { return m_cubeMap.Get(); }
    // Also measures the cube's mean colour for the fixed-function technique.
    void SetCubeMap(CubeTexture* texture);
    const Vector4& CubeMean() const { return m_cubeMean; }
    Texture* GetRefraction() const { return m_refraction.Get(); }
    void SetRefraction(Texture* texture) { m_refraction = texture; }
    Texture* GetReflection() const { return m_reflection.Get(); }
    void SetReflection(Texture* texture) { m_reflection = texture; }
    const Waves& GetWaves() const { return m_waves; }
    // Non-finite values leave the old parameters.
    void SetWaves(const Waves& waves);
    // Seconds of wave motion so far (kept below 10000 s, where the offsets repeat closely).
    double WaveTime() const { return m_clock.Seconds(); }
    // The offsets of both layers at the current time, in 0-1: (u1, v1, u2, v2).
    Vector4 LayerOffsets() const;

    void Update(double time) override;
    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // Also the cube's, refraction's and reflection's controllers.
    void UpdateTextures(double time) override;
    // The pass of `technique`, with the sun's programs when `lit`.
    Ptr<GeometryNodeEffectPass> CreateWaterPass(uint32_t technique, bool lit);
    // Checks and binds the textures and writes the constants of a shader pass (the lighting
    // constants with `lit`, else the colour's). kFailure when something is missing (reported).
    Result BindWater(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node, bool lit);
    // The fixed-function stage that mixes the cube's mean into what came before (`stage`).
    void PrepareFixedReflection(RenderState& state, uint32_t stage) const;

private:
    Ptr<CubeTexture> m_cubeMap;
    Ptr<Texture> m_refraction;
    Ptr<Texture> m_reflection;
    Waves m_waves;
    EffectClock m_clock;
    Vector4 m_cubeMean{0.5f, 0.5f, 0.5f, 1};
};

}  // namespace zen
