#pragma once
#include <cstdint>

namespace zen {

// The glyph tables of a parameter-file font: where each character lies in the font texture
// and how far it advances, all divided by the texture's width or height. Parse reads the
// parameter file's text ("ascent = %d", "descent = %d", "height = %d", "xOffset = %d",
// "yOffset = %d", "numChars = %d", then one "char = %d; A = %d; B = %d; C = %d; x = %d; y = %d;"
// line per character) for a texture of width x height pixels. It never reads past `size` and
// never fails: header lines that do not match leave their value 0, character lines whose code
// is missing or outside 0-255 are skipped, and numChars counts only the lines that are there.
struct FontMetrics {
    enum { kULeft = 0, kVTop, kURight, kVBottom };                    // texRect columns.
    enum { kPreSpace = 0, kGlyphWidth, kPostSpace, kCellWidth };      // metrics columns.
    static constexpr uint32_t kSpace = 32;

    // Clears the tables and reads `text` (`size` bytes, no terminator needed). `width` and
    // `height` must be positive; otherwise the tables stay empty. Returns the number of
    // character lines taken.
    uint32_t Parse(const char* text, uint32_t size, uint32_t width, uint32_t height);
    void Clear();

    // Width of character `c` on screen for the given factors (0 when it has no glyph).
    float CharWidth(uint8_t c, float scaleX, float spacing) const;

    bool present[256] = {};
    float texRect[256][4] = {};
    float metrics[256][4] = {};
    float lineHeight = 0, xOffset = 0, baseShift = 0, ascent = 0, descent = 0;
};

}  // namespace zen
