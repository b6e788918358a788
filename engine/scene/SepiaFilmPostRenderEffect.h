#pragma once
#include "engine/scene/SepiaPostRenderEffect.h"

namespace zen {

// Sepia with the look of old film ("ZEN.SepiaFilmPostRenderEffect"): after the toning, a narrow
// vertical band of the lines texture (5 % of the screen width, at a new random place every
// frame) and the grain texture (tiled over the screen, shifted randomly every frame) multiply
// the picture. Either texture may be missing. Stream form after the sepia fields: lines texture
// link, grain texture link.
class SepiaFilmPostRenderEffect : public SepiaPostRenderEffect {
    ZEN_DECLARE_CLASS

public:
    SepiaFilmPostRenderEffect();

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    Texture* LinesTexture() const { return m_lines.Get(); }
    void SetLinesTexture(Texture* texture) { m_lines = texture; }
    Texture* GrainTexture() const { return m_grain.Get(); }
    void SetGrainTexture(Texture* texture) { m_grain = texture; }

    static const char* const kBandVertexProgram;
    static const char* const kGrainVertexProgram;
    static const char* const kCopyPixelProgram;

protected:
    void Composite(Renderer& renderer) override;

private:
    Ptr<Texture> m_lines;
    Ptr<Texture> m_grain;
    Ptr<PositionPass> m_bandPass;
    Ptr<PositionPass> m_grainPass;
};

}  // namespace zen
