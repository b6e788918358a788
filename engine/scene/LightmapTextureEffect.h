#pragma once
#include "engine/scene/TextureEffect.h"

namespace zen {

// A texture multiplied by a light map ("ZEN.LightmapTextureEffect"): base (stage 0, its own
// coordinate set) x light map (stage 1, its coordinate set) x colour, with exponential fog.
// Technique 0: vs_1_1 (positions and the two coordinate sets; c0-c9) + ps.1.1 sampling both;
// technique 1: fixed function, the light map modulating in stage 1. A missing texture or light
// map draws nothing (logged once). Stream form: the texture effect's fields, the light map (link
// to a ZEN.Texture), its coordinate set (int32).
class LightmapTextureEffect : public TextureEffect {
    ZEN_DECLARE_CLASS

public:
    LightmapTextureEffect();

    Texture* GetLightmap() const { return m_lightmap.Get(); }
    // The light-map setter (light-map animation controllers use it).
    void SetLightmap(Texture* texture) { m_lightmap = texture; }
    uint32_t LightmapSet() const { return m_lightmapSet; }
    // kInvalidArgument for a set past 7; the passes are built again for the new set.
    Result SetLightmapSet(uint32_t set);

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // kSuccess when the texture and the light map are there (else reported); binds them to
    // stages 0 and `lightmapStage`.
    Result BindTextures(Renderer& renderer, uint32_t lightmapStage);

protected:
    void UpdateTextures(double time) override;

private:
    Ptr<Texture> m_lightmap;
    uint32_t m_lightmapSet = 1;
};

}  // namespace zen
