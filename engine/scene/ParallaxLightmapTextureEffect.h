#pragma once
#include "engine/scene/EffectLighting.h"
#include "engine/scene/LightmapTextureEffect.h"
#include "engine/scene/ReliefMap.h"

namespace zen {

// A light-mapped texture with parallax ("ZEN.ParallaxLightmapTextureEffect"): as
// NormalmapLightmapTextureEffect, with the texture and the normal map sampled at
// uv + (h x scale - bias) x V.xy, h the normal map's alpha and V the unit eye vector in tangent
// space (as ParallaxTextureEffect; the light map stays where it is). Stages: base 0, normal map
// 1, light map 2. Technique 0: vs_2_0 (positions, normals, tangents, the three coordinate sets)
// + ps_2_0 with the three textures; technique 1: vs_1_1 + ps.1.1 without parallax; technique 2:
// fixed function, texture x colour x the relief's mean, x light map in stage 1. A missing
// texture, light map or normal map draws nothing (logged once). Stream form: the light-map
// effect's fields, the normal map (link to a ZEN.Texture), its coordinate set (int32), then
// scale and bias (float32 each, one message).
class ParallaxLightmapTextureEffect : public LightmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    ParallaxLightmapTextureEffect();

    Texture* GetNormalMap() const { return m_relief.Get(); }
    void SetNormalMap(Texture* texture);  // Also measures the relief's mean for the fallback.
    uint32_t NormalMapSet() const { return m_relief.CoordSet(); }
    Result SetNormalMapSet(uint32_t set);  // kInvalidArgument past 7; the passes are built again.
    float ParallaxScale() const { return m_scale; }
    float ParallaxBias() const { return m_bias; }
    void SetParallax(float scale, float bias);

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    ReliefMap& Relief() { return m_relief; }
    // Pixel constant c8 of the parallax programs: (scale, bias, 0, 0).
    void WriteParallaxConstants(Renderer& renderer) const;

    EffectLighting m_lighting;  // The eye (and the lit subclass's light).

private:
    ReliefMap m_relief;
    float m_scale = 0.04f;  // Texture units per unit of height.
    float m_bias = 0.02f;
};

}  // namespace zen
