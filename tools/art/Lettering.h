#pragma once
#include <string_view>

#include "tools/art/Canvas.h"

namespace zen::art {

// How a line of lettering looks: the stroke font at a size and weight, filled with a paint,
// with an optional dark outline, drop shadow and glow of light around it.
struct TextStyle {
    float capHeight = 20;  // Pixels.
    float weight = 0.12f;  // Stroke width in capital heights.
    float tracking = 0;    // Extra gap between glyphs in capital heights.
    Paint fill;            // Null: white.
    Color outline = Color(0, 0, 0, 0);
    float outlineWidth = 0;  // Pixels around the stroke.
    float outlineBlur = 0;   // Softness of the outline, Gaussian sigma in pixels.
    Color shadow = Color(0, 0, 0, 0);
    Vec2 shadowOffset;       // Pixels, positive down and right.
    float shadowBlur = 0;    // Gaussian sigma in pixels.
    Color glow = Color(0, 0, 0, 0);  // Added as light.
    float glowBlur = 0;              // Gaussian sigma in pixels.
};

enum class Align { kLeft, kCentre, kRight };

// Draws lines of the stroke font onto a canvas with the effects of a TextStyle: glow first,
// then shadow, outline and the letters themselves.
class Lettering {
public:
    // `anchor` is on the baseline: the left end, the middle or the right end of the line.
    static void Draw(Canvas& canvas, std::string_view text, Vec2 anchor, Align align, const TextStyle& style);
    // The strokes of the line as Draw places them.
    static Path Strokes(std::string_view text, Vec2 anchor, Align align, const TextStyle& style);
    // Ink width of the line in pixels, stroke included.
    static float Width(std::string_view text, const TextStyle& style);
};

}  // namespace zen::art
