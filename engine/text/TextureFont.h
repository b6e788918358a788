#pragma once
#include <cstdint>

#include "engine/text/MeshFont.h"

namespace zen {

// A font over a texture of 16 x 16 equal cells ("ZEN.TextureFont"): byte k's glyph lies in
// column k mod 16, row k div 16. Every byte gets a cell of scaleX x scaleY, spaces included;
// y is the top of the line. Stream form after the font fields: the texture (link).
class TextureFont : public MeshFont {
    ZEN_DECLARE_CLASS

public:
    TextureFont() = default;

    uint32_t DrawString(float x, float y, float z, const char* text) override;
};

}  // namespace zen
