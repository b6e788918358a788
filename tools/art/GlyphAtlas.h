#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/Result.h"
#include "engine/scene/Image.h"

namespace zen::art {

// A texture font made from a TrueType font: the glyphs of a range of character codes rasterised
// (stb_truetype) into cells of one picture, white with the glyph's coverage as alpha, and the
// font parameter file the engine's texture fonts read beside it. Each cell is a glyph's advance
// wide plus a margin of kMargin pixels either side (so that glyphs reaching past their advance
// keep their edges) and a line (ascent + descent) high; its x is the cell's left edge and its y
// the baseline's row, counted from the top, as the parameter file gives them.
class GlyphAtlas {
public:
    static constexpr int kMargin = 3;

    struct Glyph {
        int code = 0;
        int advance = 0;  // Pixels to the next pen position.
        int x = 0, y = 0;  // The cell's left edge; the baseline's row.
    };

    // Rasterises codes first..last of `font` (a TrueType file's bytes) `pixelHeight` pixels from
    // the highest ascent to the lowest descent, into a picture of width x height. kFailure with a
    // log line for bytes that are not a TrueType font, a code that has no glyph, or glyphs
    // that do not fit; kInvalidArgument for an empty range or size.
    [[nodiscard]] Result Make(const std::vector<uint8_t>& font, float pixelHeight, int first, int last, int width,
                              int height);

    int Ascent() const { return m_ascent; }
    int Descent() const { return m_descent; }
    const std::vector<Glyph>& Glyphs() const { return m_glyphs; }
    // Coverage 0-255 of the pixel in column x, row y from the top; 0 outside.
    uint8_t Coverage(int x, int y) const;

    // The picture (R8G8B8A8, white, coverage in alpha).
    Ptr<Image> ToImage(const String& name) const;
    // The parameter file: ascent, descent, height, xOffset, yOffset, numChars, then one line a
    // glyph ("char = %d; A = %d; B = %d; C = %d; x = %d; y = %d;").
    std::string Parameters() const;

private:
    int m_width = 0, m_height = 0;
    int m_ascent = 0, m_descent = 0;
    std::vector<Glyph> m_glyphs;
    std::vector<uint8_t> m_coverage;  // Rows top-down.
};

}  // namespace zen::art
