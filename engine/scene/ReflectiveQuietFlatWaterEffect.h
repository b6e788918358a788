#pragma once
#include "engine/scene/NormalmapTextureEffect.h"
#include "engine/scene/QuietWater.h"

namespace zen {

// Calm water that mirrors what stands above it ("ZEN.ReflectiveQuietFlatWaterEffect"): the water colour (texture x
// colour) under the planar reflection weighted by Fresnel's law, the normal map's ripples
// shifting the reflection and the weight. Inputs: positions, the texture's and the normal map's
// coordinate sets. Techniques: see QuietWater. A missing texture, normal map or reflection draws
// nothing (logged once). Stream form: the normal-map effect's fields, the reflection (link to a
// ZEN.Texture), then distortion, Fresnel R0 and clarity (float32 each, one message; the clarity
// is kept though only the refractive water uses it).
class ReflectiveQuietFlatWaterEffect : public NormalmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    ReflectiveQuietFlatWaterEffect() = default;

    Texture* GetReflection() const { return m_water.Reflection(); }
    void SetReflection(Texture* texture) { m_water.SetReflection(texture); }
    const QuietWater::Parameters& GetWaterParameters() const { return m_water.GetParameters(); }
    void SetWaterParameters(const QuietWater::Parameters& parameters) { m_water.SetParameters(parameters); }

    // The effect's controllers, then those of its textures (the reflection's renderer, say).
    void Update(double time) override;
    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    QuietWater m_water{false};
};

}  // namespace zen
