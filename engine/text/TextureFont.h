#pragma once
#include <cstdint>

#include "engine/text/Font.h"
#include "engine/text/FontMesh.h"

namespace zen {

class Texture;

// A font over a texture of 16 x 16 equal cells ("ZEN.TextureFont"): byte k's glyph lies in
// column k mod 16, row k div 16. Every byte gets a cell of scaleX x scaleY, spaces included;
// y is the top of the line. Stream form after the font fields: the texture (link).
class TextureFont : public Font {
    ZEN_DECLARE_CLASS

public:
    TextureFont();
    ~TextureFont() override;

    void SetMaxChars(uint32_t count) override;
    void SetColour(const Vector4& colour) override;
    void DrawText(float x, float y, float z, const char* format, ...) override
        __attribute__((format(printf, 5, 6)));
    // The same for text that is already formatted; the quads built.
    uint32_t DrawString(float x, float y, float z, const char* text);

    Texture* GetTexture() const;
    void SetTexture(Texture* texture);
    const FontMesh& GetMesh() const { return m_mesh; }

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    FontMesh m_mesh;
};

}  // namespace zen
