#pragma once
#include "engine/scene/EffectLighting.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

// A texture with a normal map ("ZEN.NormalmapTextureEffect"), its relief lit from the texture's
// upper left without a light: the texture x colour is scaled by N . (0.5, 0.5, 1), N from
// the normal map (a flat texel keeps the plain colour). Inputs: positions, the texture's and the
// normal map's coordinate sets. Technique 0: vs_2_0 + ps_2_0; technique 1: vs_1_1 + ps.1.1;
// technique 2: fixed function, the texture x colour x the relief's mean. A missing texture or normal map draws nothing
// (logged once). Stream form: the texture effect's fields, the normal map (link to a
// ZEN.Texture), its coordinate set (int32). The lit subclasses use the normal map in tangent
// space (tangents from the geometry).
class NormalmapTextureEffect : public TextureEffect {
    ZEN_DECLARE_CLASS

public:
    NormalmapTextureEffect();

    Texture* GetNormalMap() const { return m_normalMap.Get(); }
    // Also measures the relief's mean brightness, which the fixed-function technique applies to
    // the plain texture so that its picture keeps the shaded one's overall level.
    void SetNormalMap(Texture* texture);
    float ReliefMean() const { return m_reliefMean; }
    uint32_t NormalMapSet() const { return m_normalMapSet; }
    // kInvalidArgument for a set past 7; the passes are built again for the new set.
    Result SetNormalMapSet(uint32_t set);

    Result CreatePasses(uint32_t technique, Technique& out) override;
    void PreparePass(GeometryNodeEffectPass& pass, RenderState& state) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    // For subclasses with programs of their own: a pass with `vertex` and `pixel` (null: fixed
    // function) reading positions, normals, tangents and both coordinate sets (texture first).
    Ptr<GeometryNodeEffectPass> CreateBumpPass(const char* vertexName, const char* vertex, const char* pixelName,
                                               const char* pixel);
    // kSuccess when both textures are there (else reported); binds them to stages 0 and 1.
    Result BindTextures(Renderer& renderer);

    EffectLighting m_lighting;  // The lit subclasses' lights.

protected:
    void UpdateTextures(double time) override;

private:
    Ptr<Texture> m_normalMap;
    uint32_t m_normalMapSet = 0;
    float m_reliefMean = 1.0f;  // Mean of the relief factor over the normal map's texels.
};

}  // namespace zen
