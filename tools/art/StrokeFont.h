#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "tools/art/Path.h"

namespace zen::art {

// A single-line (monoline) typeface of our own: every glyph is a few strokes (straight lines,
// elliptic arcs, dots) drawn with round ends, so the weight is chosen when the text is stroked
// into a Mask. Glyphs are designed in units where the capital height is 10 and the baseline 0:
// capitals and digits, lower case (x-height 6.5, descenders to -3.5), and . , : ; - ' ! ? / and
// space. Characters without a glyph are laid out as a space.
class StrokeFont {
public:
    // The typeface, parsed once.
    static const StrokeFont& Standard();

    // The text's strokes as open polylines, the baseline starting at `origin` (pixels), capital
    // height `capHeight` pixels; `tracking` widens every gap between glyphs, in capital heights.
    Path Layout(std::string_view text, Vec2 origin, float capHeight, float tracking = 0) const;
    // Distance from the first glyph's left edge to the last glyph's right edge (stroke centres;
    // the stroke's own width comes on top), in pixels.
    float Measure(std::string_view text, float capHeight, float tracking = 0) const;
    bool HasGlyph(char c) const;

    // Parts of the design, in font units.
    static constexpr float kCapHeight = 10;
    static constexpr float kGap = 2.6f;    // Between neighbouring glyphs, before tracking.
    static constexpr float kSpace = 4.5f;  // Width of a space.

private:
    struct Glyph {
        char character = 0;
        float width = 0;                        // Advance without the gap.
        std::vector<std::vector<Vec2>> strokes;  // Font units, y up; arcs already flattened.
    };

    StrokeFont();
    const Glyph* Find(char c) const;
    static Glyph Parse(char character, float width, std::string_view definition);

    std::vector<Glyph> m_glyphs;
};

}  // namespace zen::art
