#pragma once
#include "engine/scene/FlatWaterEffect.h"

namespace zen {

// Open water in motion lit by one directional light ("ZEN.FlatWater1DLEffect"): FlatWaterEffect's
// look with the water colour lit by the sun (ambient + diffuse x N.L with the waves' normal)
// and the sun's glitter, specular (N.H)^power, added on top. Technique 0: vs_2_0 (positions,
// normals, texcoord0, texcoord1) + ps_2_0 with four 2D textures and one cube (s0 texture, s1
// normal map, s2 cube, s3 refraction, s4 projected reflection); technique 1: vs_1_1 + ps.1.1,
// lit per vertex; technique 2: fixed function, the texture lit per vertex and mixed with the
// cube's mean. A light that is missing or not directional draws nothing (logged once). Stream
// form: the flat water's fields, then the light (link).
class FlatWater1DLEffect : public FlatWaterEffect {
    ZEN_DECLARE_CLASS

public:
    FlatWater1DLEffect() = default;

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
