#include "tools/art/BrightfoldMark.h"

#include <cmath>

namespace zen::art {

void BrightfoldMark::DrawSpark(Canvas& canvas, Vec2 centre, float radius, float waist, Color color)
{
    std::vector<Vec2> points;
    for (int i = 0; i < 8; ++i) {
        const float degrees = 45.0f * static_cast<float>(i);
        const float r = i % 2 == 0 ? radius : radius * waist;
        points.push_back(PointOnEllipse(centre, r, r, degrees));
    }
    Mask spark(canvas.Width(), canvas.Height());
    spark.FillPath(Path::Polygon(points));
    Mask glow = spark;
    glow.Blur(radius * 0.25f);
    canvas.Draw(glow, color.WithAlpha(color.a * 0.8f), Canvas::Blend::kAdd);
    canvas.Draw(spark, color);
}

void BrightfoldMark::Draw(Canvas& canvas, Vec2 centre, float size)
{
    const float s = size;
    const Vec2 top = centre + Vec2(0, -0.5f * s);
    const Vec2 right = centre + Vec2(0.37f * s, 0.02f * s);
    const Vec2 bottom = centre + Vec2(0, 0.5f * s);
    const Vec2 left = centre + Vec2(-0.37f * s, 0.02f * s);
    const Vec2 fold = centre + Vec2(0.05f * s, -0.04f * s);
    const int w = canvas.Width();
    const int h = canvas.Height();

    // A soft shadow under the gem so it stands off any background.
    Mask shadow(w, h);
    shadow.FillPath(Path::Polygon({top, right, bottom, left}).Transformed(1, Vec2(0.02f * s, 0.03f * s)));
    shadow.Blur(0.05f * s);
    canvas.Draw(shadow, Color(0, 0, 0.02f, 0.6f));

    struct Facet {
        Vec2 a;
        Vec2 b;
        Color light;
        Color dark;
    };
    const Facet facets[] = {
        {left, top, Color(1.0f, 0.95f, 0.74f), Color(0.98f, 0.82f, 0.5f)},
        {top, right, Color(0.98f, 0.8f, 0.45f), Color(0.86f, 0.6f, 0.26f)},
        {right, bottom, Color(0.7f, 0.44f, 0.18f), Color(0.5f, 0.28f, 0.1f)},
        {bottom, left, Color(0.86f, 0.6f, 0.3f), Color(0.66f, 0.42f, 0.18f)},
    };
    for (const Facet& facet : facets) {
        Mask mask(w, h);
        mask.FillPath(Path::Polygon({facet.a, facet.b, fold}));
        // Each facet darkens away from the light in the upper left.
        canvas.Draw(mask, LinearPaint(centre + Vec2(-0.3f * s, -0.4f * s), centre + Vec2(0.3f * s, 0.45f * s),
                                      Gradient{{0, facet.light}, {1, facet.dark}}));
    }
    // Fine bright edges along the folds.
    Path folds;
    folds.MoveTo(top).LineTo(fold).LineTo(bottom).Close();
    folds.MoveTo(left).LineTo(fold).LineTo(right).Close();
    Mask lines(w, h);
    lines.StrokePath(folds, std::max(0.6f, 0.012f * s));
    canvas.Draw(lines, Color(1.0f, 0.96f, 0.82f, 0.55f));
    Path rim;
    rim.MoveTo(bottom).LineTo(left).LineTo(top).LineTo(right).LineTo(bottom).Close();
    Mask edge(w, h);
    edge.StrokePath(rim, std::max(0.7f, 0.016f * s));
    canvas.Draw(edge, Color(0.38f, 0.22f, 0.08f, 0.7f));

    DrawSpark(canvas, top + Vec2(0.16f * s, 0.1f * s), 0.24f * s, 0.16f, Color(1.0f, 0.98f, 0.9f));
}

}  // namespace zen::art
