#pragma once
#include <string>

#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/text/TextureFont2.h"

namespace zen {

// A named text style of the learn system: a font drawn at a glyph size (the font's scaleX and
// scaleY while the style draws) in a colour.
struct LearnStyle {
    std::string name;
    Ptr<TextureFont2> font;      // Null when the configuration named no loaded font.
    float size[2] = {0, 0};      // scaleX, scaleY.
    Vector4 colour{0, 0, 0, 0};
};

}  // namespace zen
