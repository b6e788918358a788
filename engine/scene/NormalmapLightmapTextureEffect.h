#pragma once
#include "engine/scene/EffectLighting.h"
#include "engine/scene/LightmapTextureEffect.h"
#include "engine/scene/ReliefMap.h"

namespace zen {

// A light-mapped texture with a normal map ("ZEN.NormalmapLightmapTextureEffect"): texture x
// light map x colour, its relief lit from the texture's upper left without a light as in
// NormalmapTextureEffect (scaled by N . (0.5, 0.5, 1), N from the normal map). Stages in the
// shader techniques: base 0, normal map 1, light map 2. Technique 0: vs_2_0 + ps_2_0; technique
// 1: vs_1_1 + ps.1.1; technique 2: fixed function, texture x colour x the relief's mean in stage
// 0, x light map in stage 1. A missing texture, light map or normal map draws nothing (logged
// once). Stream form: the light-map effect's fields, then the normal map (link to a
// ZEN.Texture) and its coordinate set (int32).
class NormalmapLightmapTextureEffect : public LightmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    NormalmapLightmapTextureEffect();

    Texture* GetNormalMap() const { return m_relief.Get(); }
    // Also measures the relief's mean for the fixed-function technique.
    void SetNormalMap(Texture* texture);
    float ReliefMean() const { return m_relief.Mean(); }
    uint32_t NormalMapSet() const { return m_relief.CoordSet(); }
    Result SetNormalMapSet(uint32_t set);  // kInvalidArgument past 7; the passes are built again.

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    ReliefMap& Relief() { return m_relief; }

    EffectLighting m_lighting;  // The lit subclass's light.

private:
    ReliefMap m_relief;
};

}  // namespace zen
