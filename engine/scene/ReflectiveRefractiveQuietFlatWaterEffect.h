#pragma once
#include "engine/scene/NormalmapTextureEffect.h"
#include "engine/scene/QuietWater.h"

namespace zen {

// Calm water that reflects and lets the bottom show ("ZEN.ReflectiveRefractiveQuietFlatWaterEffect"): the water colour (texture x
// colour) with the refraction picture showing through it by the clarity, under the planar
// reflection weighted by Fresnel's law; the normal map's ripples shift both pictures and the
// weight. Inputs: positions, the texture's and the normal map's coordinate sets. Techniques:
// see QuietWater. A missing texture, normal map, reflection or refraction draws nothing (logged
// once). Stream form: the normal-map effect's fields, the reflection (link to a ZEN.Texture),
// the refraction (link), then distortion, Fresnel R0 and clarity (float32 each, one message).
class ReflectiveRefractiveQuietFlatWaterEffect : public NormalmapTextureEffect {
    ZEN_DECLARE_CLASS

public:
    ReflectiveRefractiveQuietFlatWaterEffect() = default;

    Texture* GetReflection() const { return m_water.Reflection(); }
    void SetReflection(Texture* texture) { m_water.SetReflection(texture); }
    Texture* GetRefraction() const { return m_water.Refraction(); }
    void SetRefraction(Texture* texture) { m_water.SetRefraction(texture); }
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
    QuietWater m_water{true};
};

}  // namespace zen
