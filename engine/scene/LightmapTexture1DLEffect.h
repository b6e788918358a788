#pragma once
#include "engine/scene/EffectLighting.h"
#include "engine/scene/LightmapTextureEffect.h"

namespace zen {

// A light-mapped texture also lit by one directional light ("ZEN.LightmapTexture1DLEffect"):
// (ambient + diffuse x N.L) x texture x light map x colour + specular. Technique 0: vs_2_0
// (positions, normals, both coordinate sets) + ps_2_0 with both textures, per pixel; technique
// 1: vs_1_1 + ps.1.1, lit per vertex; technique 2: fixed function (lit stage 0, light map in
// stage 1, colour in stage 2). A light that is missing or not directional draws nothing (logged
// once). Stream form: the light-map effect's fields, then the light (link).
class LightmapTexture1DLEffect : public LightmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    LightmapTexture1DLEffect();

    Light* GetLight() const { return m_lighting.Directional(); }
    void SetLight(Light* light) { m_lighting.SetDirectional(light); }

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    EffectLighting m_lighting;
};

}  // namespace zen
