#include "tools/art/Lettering.h"

#include "tools/art/StrokeFont.h"

namespace zen::art {

Path Lettering::Strokes(std::string_view text, Vec2 anchor, Align align, const TextStyle& style)
{
    const StrokeFont& font = StrokeFont::Standard();
    const float width = font.Measure(text, style.capHeight, style.tracking);
    float left = anchor.x;
    if (align == Align::kCentre)
        left -= width * 0.5f;
    else if (align == Align::kRight)
        left -= width;
    return font.Layout(text, Vec2(left, anchor.y), style.capHeight, style.tracking);
}

float Lettering::Width(std::string_view text, const TextStyle& style)
{
    return StrokeFont::Standard().Measure(text, style.capHeight, style.tracking) + style.capHeight * style.weight;
}

void Lettering::Draw(Canvas& canvas, std::string_view text, Vec2 anchor, Align align, const TextStyle& style)
{
    const float stroke = style.capHeight * style.weight;
    const Path strokes = Strokes(text, anchor, align, style);
    const int w = canvas.Width();
    const int h = canvas.Height();

    if (style.glow.a > 0 && style.glowBlur > 0) {
        Mask glow(w, h);
        glow.StrokePath(strokes, stroke);
        glow.Blur(style.glowBlur);
        canvas.Draw(glow, style.glow, Canvas::Blend::kAdd);
    }
    if (style.shadow.a > 0) {
        Mask shadow(w, h);
        shadow.StrokePath(strokes.Transformed(1, style.shadowOffset), stroke + 2 * style.outlineWidth);
        shadow.Blur(style.shadowBlur);
        canvas.Draw(shadow, style.shadow);
    }
    if (style.outline.a > 0 && style.outlineWidth > 0) {
        Mask outline(w, h);
        outline.StrokePath(strokes, stroke + 2 * style.outlineWidth);
        if (style.outlineBlur > 0) {
            outline.Blur(style.outlineBlur);
            // Keep the outline solid right under the letters however soft its rim.
            Mask core(w, h);
            core.StrokePath(strokes, stroke + style.outlineWidth);
            outline.Combine(core, Mask::Op::kUnion);
        }
        canvas.Draw(outline, style.outline);
    }
    Mask letters(w, h);
    letters.StrokePath(strokes, stroke);
    canvas.Draw(letters, style.fill ? style.fill : SolidPaint(Color(1, 1, 1)));
}

}  // namespace zen::art
