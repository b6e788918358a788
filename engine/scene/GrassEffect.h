#pragma once
#include "engine/scene/EffectClock.h"
#include "engine/scene/EffectLighting.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

// Grass blades that sway in the wind ("ZEN.GrassEffect"): the texture x colour on blades whose
// vertices the vertex program moves along the wind by amplitude x w x s(t), where the second
// coordinate set gives each vertex its weight w (0 at the root, 1 at the tip) in u and a phase
// in v (cycles), and s is a smooth back-and-forth wave of the wind's frequency. With a light
// the blades are lit as surfaces facing up (ambient + diffuse x the light's height above the
// horizon, worked out once per draw into the colour); without one they are unlit. Alpha-tested
// blades are the usual use. Inputs: positions, the texture's set and set 1. Technique 0: vs_1_1
// (c0-c10: c8 the lit colour, c9 (fog, 2, -1, 3), c10 (wind x amplitude, 0, wind z x amplitude,
// phase of the wind now)) + ps.1.1; technique 1: fixed function, still. A missing texture or a
// light that is not directional draws nothing (logged once). Stream form: the texture effect's
// fields, the light (link, may be none), then the wind (four float32: direction x and z,
// amplitude, frequency; one message).
class GrassEffect : public TextureEffect {
    ZEN_DECLARE_CLASS

public:
    struct Wind {
        float direction[2] = {1.0f, 0.3f};  // In the model's x-z plane; any length (normalised).
        float amplitude = 0.15f;            // Model units at a weight of 1.
        float frequency = 0.4f;             // Sways per second.
    };

    GrassEffect();

    Light* GetLight() const { return m_lighting.Directional(); }
    void SetLight(Light* light);
    const Wind& GetWind() const { return m_wind; }
    // Non-finite values leave the old wind.
    void SetWind(const Wind& wind);
    double WindTime() const { return m_clock.Seconds(); }
    // The colour the blades are drawn with: the colour x (ambient + emissive + diffuse x the
    // light's height) with a light, the colour alone without one.
    Vector4 LitColor() const;
    // The sideways shift of a vertex of `weight` and `phase` now, in units of the amplitude
    // along the wind (what the vertex program computes), in -weight..weight.
    float Sway(float weight, float phase) const;

    void Update(double time) override;
    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    EffectLighting m_lighting;  // The directional light only; may be none.
    Wind m_wind;
    EffectClock m_clock;
};

}  // namespace zen
