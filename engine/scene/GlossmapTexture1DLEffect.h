#pragma once
#include "engine/scene/GlossmapTextureEffect.h"

namespace zen {

// A texture with a gloss map lit by one directional light ("ZEN.GlossmapTexture1DLEffect"):
// (ambient + diffuse x N.L) x texture x colour + gloss x specular (N.H)^power, the gloss from
// the gloss map's red channel. Technique 0: vs_2_0 (positions, normals, both coordinate sets) +
// ps_2_0 per pixel; technique 1: vs_1_1 + ps.1.1, lit per vertex, the specular scaled by the
// gloss per pixel; technique 2: fixed function, the texture lit per vertex (specular without
// the gloss map). A light that is missing or not directional draws nothing (logged once).
// Stream form: the gloss-map effect's fields, then the light (link).
class GlossmapTexture1DLEffect : public GlossmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    GlossmapTexture1DLEffect() = default;

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
