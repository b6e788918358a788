#pragma once
#include "engine/scene/ReflectiveCubeTextureEffect.h"

namespace zen {

// A cube-map reflection whose strength a gloss map varies ("ZEN.GlossReflectiveCubeTextureEffect"):
// as ReflectiveCubeTextureEffect with the reflectivity multiplied by the gloss map (stage 2,
// sampled with its own coordinate set). Technique 0: vs_1_1 (positions, normals, the texture's
// and the gloss map's coordinate sets) + ps.1.1; technique 1: fixed function as the base.
// Stream form: the reflective effect's fields, the gloss map (link to a ZEN.Texture), its
// coordinate set (int32).
class GlossReflectiveCubeTextureEffect : public ReflectiveCubeTextureEffect {
    ZEN_DECLARE_CLASS

public:
    GlossReflectiveCubeTextureEffect() = default;

    Texture* GetGlossMap() const { return m_glossMap.Get(); }
    void SetGlossMap(Texture* texture) { m_glossMap = texture; }
    uint32_t GlossMapSet() const { return m_glossMapSet; }
    Result SetGlossMapSet(uint32_t set);  // kInvalidArgument past 7; the passes are built again.

    Result CreatePasses(uint32_t technique, Technique& out) override;
    Result BindPass(GeometryNodeEffectPass& pass, Renderer& renderer, GeometryNode& node) override;

    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    void UpdateTextures(double time) override;

private:
    Ptr<Texture> m_glossMap;
    uint32_t m_glossMapSet = 1;
};

}  // namespace zen
