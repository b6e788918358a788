#include "tools/art/LoaderPicture.h"

#include <cmath>

#include "tools/art/Lettering.h"
#include "tools/art/NightCoast.h"

namespace zen::art {
namespace {

constexpr int kSupersample = 2;  // Drawn at twice the size, then averaged down.

}  // namespace

Canvas LoaderPicture::Draw()
{
    Canvas canvas(kWidth * kSupersample, kHeight * kSupersample, Color(0, 0, 0, 1));
    const float w = static_cast<float>(canvas.Width());
    const float h = static_cast<float>(canvas.Height());
    CoastLayout layout;
    NightCoast coast(canvas, layout);
    coast.Paint();

    // The name: large capitals with a warm gradient, a soft dark rim and a glow of moonlight.
    TextStyle title;
    title.capHeight = 0.078f * h;
    title.weight = 0.105f;
    title.tracking = 0.12f;
    const float baseline = 0.165f * h;
    title.fill = LinearPaint(Vec2(0, baseline - title.capHeight), Vec2(0, baseline),
                             Gradient{{0, Color(1.0f, 0.98f, 0.92f)}, {0.55f, Color(1.0f, 0.9f, 0.7f)},
                                      {1, Color(0.98f, 0.74f, 0.45f)}});
    title.outline = Color(0.01f, 0.02f, 0.05f, 0.55f);
    title.outlineWidth = 0.004f * h;
    title.outlineBlur = 0.003f * h;
    title.shadow = Color(0, 0.005f, 0.02f, 0.75f);
    title.shadowOffset = Vec2(0.004f * h, 0.006f * h);
    title.shadowBlur = 0.006f * h;
    title.glow = Color(0.5f, 0.56f, 0.72f, 0.55f);
    title.glowBlur = 0.022f * h;
    const float centre = 0.555f * w;
    Lettering::Draw(canvas, "LIGHTHOUSE", Vec2(centre, baseline), Align::kCentre, title);

    TextStyle subtitle;
    subtitle.capHeight = 0.026f * h;
    subtitle.weight = 0.13f;
    subtitle.tracking = 0.62f;
    subtitle.fill = SolidPaint(Color(0.82f, 0.88f, 1.0f));
    subtitle.shadow = Color(0, 0, 0.02f, 0.7f);
    subtitle.shadowOffset = Vec2(0.002f * h, 0.003f * h);
    subtitle.shadowBlur = 0.003f * h;
    const float subBaseline = baseline + 0.056f * h;
    Lettering::Draw(canvas, "3D SCREENSAVER", Vec2(centre, subBaseline), Align::kCentre, subtitle);

    // Hairlines either side of the subtitle, fading outwards.
    const float half = Lettering::Width("3D SCREENSAVER", subtitle) * 0.5f;
    const float y = subBaseline - subtitle.capHeight * 0.5f;
    Mask lines(canvas.Width(), canvas.Height());
    Path hair;
    hair.MoveTo(Vec2(centre - half - 0.03f * h, y)).LineTo(Vec2(centre - half - 0.16f * h, y)).Close();
    hair.MoveTo(Vec2(centre + half + 0.03f * h, y)).LineTo(Vec2(centre + half + 0.16f * h, y)).Close();
    lines.StrokePath(hair, 0.0025f * h);
    const float reach = half + 0.16f * h;
    canvas.Draw(lines, [&](Vec2 p) {
        const float t = std::fabs(p.x - centre) / reach;
        return Color(0.9f, 0.8f, 0.6f, 0.85f * SmoothStep(1.0f, 0.3f, t));
    });
    return canvas.Resampled(kWidth, kHeight);
}

}  // namespace zen::art
