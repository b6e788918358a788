#pragma once
#include "engine/scene/NormalmapTextureEffect.h"

namespace zen {

// A normal-mapped texture lit by one directional and one point light
// ("ZEN.NormalmapTexture1DL1PLEffect"): NormalmapTexture1DLEffect's lighting with the point
// light's diffuse and specular terms, attenuated by 1 / (a0 + a1 d + a2 d^2), added.
// Technique 0: vs_2_0 + ps_2_0, both lights per pixel in tangent space; technique 1: vs_1_1 +
// ps.1.1, the directional light's N.L per pixel from the normal map, the point light's diffuse
// and both specular terms per vertex; technique 2: fixed function with both lights pushed,
// without the normal map. A missing light, a first light that is not directional or a second
// that is not a point light draws nothing (logged once). Stream form: the normal-map effect's
// fields, the directional light, the point light (links).
class NormalmapTexture1DL1PLEffect : public NormalmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    NormalmapTexture1DL1PLEffect() = default;

    Light* GetLight() const { return m_lighting.Directional(); }
    void SetLight(Light* light) { m_lighting.SetDirectional(light); }
    Light* GetPointLight() const { return m_lighting.Point(); }
    void SetPointLight(Light* light) { m_lighting.SetPoint(light); }

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;
};

}  // namespace zen
