#pragma once
#include "engine/scene/NormalmapLightmapTextureEffect.h"

namespace zen {

// A light-mapped, normal-mapped texture lit by one directional light
// ("ZEN.NormalmapLightmapTexture1DLEffect"): (ambient + diffuse x N.L) x texture x light map x
// colour + specular (N.H)^power, N from the normal map in tangent space (tangents from the
// geometry). Technique 0: vs_2_0 + ps_2_0 per pixel with the three textures; technique 1:
// vs_1_1 + ps.1.1, the light vector per vertex and N.L per pixel, specular per vertex;
// technique 2: fixed function, the texture lit per vertex, x light map in stage 1, x colour in
// stage 2. A light that is missing or not directional draws nothing (logged once). Stream
// form: the normal-mapped light-map effect's fields, then the light (link).
class NormalmapLightmapTexture1DLEffect : public NormalmapLightmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    NormalmapLightmapTexture1DLEffect() = default;

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
