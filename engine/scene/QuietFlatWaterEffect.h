#pragma once
#include "engine/scene/NormalmapTextureEffect.h"
#include "engine/scene/QuietWater.h"

namespace zen {

// The body of the two quiet flat-water effects: the normal-map effect's textures plus the
// QuietWater pictures and parameters, drawn, linked and streamed alike. Not a run-time type of
// its own: each water keeps the normal-map effect as its streamed base.
class QuietFlatWaterEffect : public NormalmapTextureEffect {
public:
    Texture* GetReflection() const { return m_water.Reflection(); }
    void SetReflection(Texture* texture) { m_water.SetReflection(texture); }
    const QuietWater::Parameters& GetWaterParameters() const { return m_water.GetParameters(); }
    void SetWaterParameters(const QuietWater::Parameters& parameters) { m_water.SetParameters(parameters); }

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    explicit QuietFlatWaterEffect(bool refractive) : m_water(refractive) {}
    // Also the reflection's and refraction's controllers (their renderers, say).
    void UpdateTextures(double time) override;

    QuietWater m_water;
};

}  // namespace zen
