#pragma once
#include "engine/scene/EffectLighting.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

// A texture with a gloss map ("ZEN.GlossmapTextureEffect"): texture x colour, plus a highlight
// of a light at the eye, gloss x specular x (N.V)^power, so the shiny parts of the surface
// (bright in the gloss map's red channel) glint where they face the viewer. Inputs: positions,
// normals, the texture's and the gloss map's coordinate sets (stages 0 and 1). Technique 0:
// vs_2_0 + ps_2_0, the highlight per pixel; technique 1: vs_1_1 + ps.1.1, per vertex;
// technique 2: fixed function, texture x colour without the highlight. A missing texture or
// gloss map draws nothing (logged once). Stream form: the texture effect's fields, the gloss
// map (link to a ZEN.Texture), its coordinate set (int32).
class GlossmapTextureEffect : public TextureEffect {
    ZEN_DECLARE_CLASS

public:
    GlossmapTextureEffect();

    // The pixel program of the per-vertex techniques: texture x diffuse + gloss x specular.
    static const char* const kPixelProgram11;

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
    // A pass of `vertex` and `pixel` (null: fixed function) reading positions, normals, then the
    // texture's and (for shaders) the gloss map's coordinate sets.
    Ptr<GeometryNodeEffectPass> CreateGlossPass(const char* vertexName, const char* vertex, const char* pixelName,
                                                const char* pixel);
    // kSuccess when the texture and (with `gloss`) the gloss map are there, else reported;
    // binds them to stages 0 and 1.
    Result BindTextures(Renderer& renderer, bool gloss);

    EffectLighting m_lighting;  // The eye (and the lit subclass's light).

private:
    Ptr<Texture> m_glossMap;
    uint32_t m_glossMapSet = 1;
};

}  // namespace zen
