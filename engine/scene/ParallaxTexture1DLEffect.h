#pragma once
#include "engine/scene/ParallaxTextureEffect.h"

namespace zen {

// A parallax-mapped texture lit by one directional light ("ZEN.ParallaxTexture1DLEffect"): the
// parallax shift of ParallaxTextureEffect, then NormalmapTexture1DLEffect's per-pixel lighting.
// Technique 0: vs_2_0 (positions, normals, tangents, both coordinate sets) + ps_2_0; technique 1:
// the vs_1_1 + ps.1.1 fallback of the normal-mapped lit effect (no parallax); technique 2: fixed
// function, the texture lit per vertex. A light that is missing or not directional draws nothing
// (logged once). Stream form: the parallax effect's fields, then the light (link).
class ParallaxTexture1DLEffect : public ParallaxTextureEffect {
    ZEN_DECLARE_CLASS

public:
    ParallaxTexture1DLEffect() = default;

    Light* GetLight() const { return m_lighting.Directional(); }
    void SetLight(Light* light) { m_lighting.SetDirectional(light); }

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;
};

}  // namespace zen
