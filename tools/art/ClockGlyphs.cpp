#include "tools/art/ClockGlyphs.h"

#include <algorithm>

#include "tools/art/Lettering.h"
#include "tools/art/StrokeFont.h"

namespace zen::art {
namespace {

constexpr int kSupersample = 8;

// The glyph's strokes in a cell of width `cellWidth` and height `cellHeight` (pixels, y down).
Path GlyphStrokes(char character, float cellWidth, float cellHeight)
{
    const float baseline = cellHeight * (1 - ClockGlyphs::kBaseline);
    if (character == ':') {
        // Centred on the digits' middle rather than on the baseline like a text colon.
        const float middle = baseline - cellHeight * ClockGlyphs::kDigitHeight * 0.5f;
        const float gap = cellHeight * ClockGlyphs::kDigitHeight * 0.23f;
        Path dots;
        dots.MoveTo(Vec2(cellWidth * 0.5f, middle - gap)).Close();
        dots.MoveTo(Vec2(cellWidth * 0.5f, middle + gap)).Close();
        return dots;
    }
    const bool letter = character == 'a' || character == 'p' || character == 'm';
    const float capHeight = cellHeight * (letter ? ClockGlyphs::kLetterHeight : ClockGlyphs::kDigitHeight);
    const std::string text(1, character);
    const float width = StrokeFont::Standard().Measure(text, capHeight);
    return StrokeFont::Standard().Layout(text, Vec2((cellWidth - width) * 0.5f, baseline), capHeight);
}

}  // namespace

const std::vector<ClockGlyphs::Glyph>& ClockGlyphs::Glyphs()
{
    static const std::vector<Glyph> glyphs = {
        {"digit_0.tga", '0'}, {"digit_1.tga", '1'},   {"digit_2.tga", '2'},    {"digit_3.tga", '3'},
        {"digit_4.tga", '4'}, {"digit_5.tga", '5'},   {"digit_6.tga", '6'},    {"digit_7.tga", '7'},
        {"digit_8.tga", '8'}, {"digit_9.tga", '9'},   {"digit_a.tga", 'a'},    {"digit_p.tga", 'p'},
        {"digit_m.tga", 'm'}, {"digit_dot.tga", '.'}, {"digit_ddot.tga", ':'},
    };
    return glyphs;
}

Canvas ClockGlyphs::Draw(char character)
{
    // Drawn on square pixels in the cell's own proportions, then squeezed into the square
    // texture; the screen stretches it back.
    const int height = kSize * kSupersample;
    const int width = static_cast<int>(static_cast<float>(height) * kCellAspect);
    Canvas canvas(width, height);
    const float h = static_cast<float>(height);
    const Path strokes = GlyphStrokes(character, static_cast<float>(width), h);
    const float stroke = kStroke * h;
    const int w = canvas.Width();

    Mask shadow(w, height);
    shadow.StrokePath(strokes.Transformed(1, Vec2(0.018f * h, 0.026f * h)), stroke + 0.05f * h);
    shadow.Blur(0.028f * h);
    canvas.Draw(shadow, Color(0, 0, 0.01f, 0.75f));

    Mask outline(w, height);
    outline.StrokePath(strokes, stroke + 0.06f * h);
    outline.Blur(0.012f * h);
    Mask core(w, height);
    core.StrokePath(strokes, stroke + 0.035f * h);
    outline.Combine(core, Mask::Op::kUnion);
    canvas.Draw(outline, Color(0.01f, 0.02f, 0.05f, 0.9f));

    Mask letters(w, height);
    letters.StrokePath(strokes, stroke);
    const float top = h * (1 - kBaseline - kDigitHeight);
    const float bottom = h * (1 - kBaseline);
    canvas.Draw(letters, LinearPaint(Vec2(0, top), Vec2(0, bottom),
                                     Gradient{{0, Color(1, 1, 1)}, {0.6f, Color(0.97f, 0.98f, 1.0f)},
                                              {1, Color(0.84f, 0.89f, 0.98f)}}));
    Canvas glyph = canvas.Resampled(kSize, kSize);
    // Clear the outermost ring of texels and soften the next, whatever a soft shadow reached.
    const float last = static_cast<float>(kSize);
    glyph.Shade([last](Vec2 p, Color under) {
        const float edge = std::min(std::min(p.x, last - p.x), std::min(p.y, last - p.y));  // 0.5 on the ring.
        return under.WithAlpha(under.a * Clamp01(edge - 0.5f));
    });
    return glyph;
}

}  // namespace zen::art
