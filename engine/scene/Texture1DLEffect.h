#pragma once
#include "engine/scene/EffectLighting.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

// A texture lit by one directional light ("ZEN.Texture1DLEffect"): ambient, diffuse and
// specular (power in c12.x) from the effect's material and the light's colours, scaled by the
// colour, with exponential fog. Inputs: positions, normals, the texture's coordinate set.
// Technique 0: vs_2_0 + ps_2_0, lit per pixel; technique 1: vs_1_1 + ps.1.1, lit per vertex
// ("tex t0", texture x diffuse + specular); technique 2: fixed function with the light pushed.
// Geometry without normals, a missing texture or a light that is missing or not directional
// draws nothing (logged once). Stream form: the texture effect's fields, then the light (link).
class Texture1DLEffect : public TextureEffect {
    ZEN_DECLARE_CLASS

public:
    Texture1DLEffect();

    Light* GetLight() const { return m_lighting.Directional(); }
    void SetLight(Light* light) { m_lighting.SetDirectional(light); }
    const EffectLighting& Lighting() const { return m_lighting; }

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    EffectLighting m_lighting;
};

}  // namespace zen
