#pragma once
#include "engine/scene/EffectLighting.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

// A texture lit by one directional and one point light ("ZEN.Texture1DL1PLEffect"): as
// Texture1DLEffect, with the point light's diffuse and specular terms attenuated by
// 1 / (a0 + a1 d + a2 d^2) added. Technique 0: vs_2_0 + ps_2_0 per pixel; technique 1: vs_1_1 +
// ps.1.1 per vertex; technique 2: fixed function with both lights pushed. A missing light, a
// first light that is not directional or a second that is not a point light draws nothing
// (logged once). Stream form: the texture effect's fields, the directional light, the point
// light (links).
class Texture1DL1PLEffect : public TextureEffect {
    ZEN_DECLARE_CLASS

public:
    Texture1DL1PLEffect();

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

private:
    EffectLighting m_lighting;
};

}  // namespace zen
