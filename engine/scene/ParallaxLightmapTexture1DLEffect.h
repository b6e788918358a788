#pragma once
#include "engine/scene/ParallaxLightmapTextureEffect.h"

namespace zen {

// A light-mapped texture with parallax lit by one directional light
// ("ZEN.ParallaxLightmapTexture1DLEffect"): the parallax lookups of
// ParallaxLightmapTextureEffect lit per pixel as NormalmapLightmapTexture1DLEffect,
// (ambient + diffuse x N.L) x texture x light map x colour + specular. Technique 0: vs_2_0 +
// ps_2_0 with the three textures; technique 1: vs_1_1 + ps.1.1 without parallax; technique 2:
// fixed function, the texture lit per vertex, x light map, x colour. A light that is missing or
// not directional draws nothing (logged once). Stream form: the parallax light-map effect's
// fields, then the light (link).
class ParallaxLightmapTexture1DLEffect : public ParallaxLightmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    ParallaxLightmapTexture1DLEffect() = default;

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
