#pragma once
#include <string>
#include <vector>

#include "tools/art/Canvas.h"

namespace zen::art {

// The glyphs of the clock and the frame counter: 0-9, ".", ":", "a", "p" and "m". The saver
// stretches each texture over one character cell of 0.04 × 0.075 of the screen and sets the
// cells edge to edge, so every glyph is drawn centred in its cell with room on both sides, on
// a common baseline, for a cell that is 0.8 times as wide as it is tall (between a 4:3 and a
// wide screen's cell). White letters with a soft dark outline and shadow, so they read over
// the brightest and the darkest parts of the scene. The outermost texels stay transparent, so
// filtering with wrapped texture addressing never pulls a glyph's edge onto the opposite side.
class ClockGlyphs {
public:
    static constexpr int kSize = 64;               // Texture width and height, pixels.
    static constexpr float kCellAspect = 0.8f;     // Cell width / height the glyphs are designed for.
    static constexpr float kBaseline = 0.24f;      // From the cell's bottom, cell heights.
    static constexpr float kDigitHeight = 0.58f;   // Height of digits, cell heights.
    static constexpr float kLetterHeight = 0.44f;  // Capital height the letters a, p, m are set at.
    static constexpr float kStroke = 0.1f;         // Stroke width, cell heights.

    struct Glyph {
        std::string file;  // "digit_0.tga" ...
        char character;
    };
    // The fifteen glyphs in the order the saver loads them.
    static const std::vector<Glyph>& Glyphs();
    static Canvas Draw(char character);
};

}  // namespace zen::art
