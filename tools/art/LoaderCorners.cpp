#include "tools/art/LoaderCorners.h"

#include <cmath>

#include "tools/art/BrightfoldMark.h"
#include "tools/art/Lettering.h"

namespace zen::art {
namespace {

constexpr int kSupersample = 4;
constexpr Color kGold(0.95f, 0.83f, 0.58f);
constexpr Color kPale(0.84f, 0.89f, 1.0f);

// Picture geometry in final pixels; the canvas is kSupersample times larger.
struct Frame {
    Canvas& canvas;
    float s = kSupersample;
    bool right;   // Flush with the screen's right edge.
    bool bottom;  // Flush with the screen's bottom edge.

    float W() const { return static_cast<float>(canvas.Width()) / s; }
    float H() const { return static_cast<float>(canvas.Height()) / s; }
    // A point given from the screen corner inwards, in final pixels, as canvas pixels.
    Vec2 At(float fromEdgeX, float fromEdgeY) const
    {
        return Vec2((right ? W() - fromEdgeX : fromEdgeX) * s, (bottom ? H() - fromEdgeY : fromEdgeY) * s);
    }
};

// Darkens towards the screen corner, fading to nothing before the picture's inner edges.
void DrawBacking(const Frame& f, float strength)
{
    const Vec2 corner = f.At(0, 0);
    const float rx = f.W() * f.s * 0.98f;
    const float ry = f.H() * f.s * 0.98f;
    f.canvas.Draw([&](Vec2 p) {
        const float dx = (p.x - corner.x) / rx;
        const float dy = (p.y - corner.y) / ry;
        const float r = std::sqrt(dx * dx + dy * dy);
        return Color(0.0f, 0.01f, 0.03f, strength * (1 - SmoothStep(0.25f, 1.0f, r)));
    });
}

// Gold hairlines along the two screen edges, fading out along their length, with a small
// diamond where they meet.
void DrawBracket(const Frame& f, float lengthX, float lengthY)
{
    const float inset = 7;
    Path lines;
    lines.MoveTo(f.At(inset, lengthY)).LineTo(f.At(inset, inset)).LineTo(f.At(lengthX, inset)).Close();
    Mask mask(f.canvas.Width(), f.canvas.Height());
    mask.StrokePath(lines, 1.3f * f.s);
    const Vec2 corner = f.At(inset, inset);
    f.canvas.Draw(mask, [&](Vec2 p) {
        const float along = std::max(std::fabs(p.x - corner.x) / (lengthX * f.s), std::fabs(p.y - corner.y) / (lengthY * f.s));
        return kGold.WithAlpha(0.9f * (1 - SmoothStep(0.35f, 1.0f, along)));
    });
    Mask diamond(f.canvas.Width(), f.canvas.Height());
    const float d = 3.2f * f.s;
    diamond.FillPath(Path::Polygon({corner + Vec2(0, -d), corner + Vec2(d, 0), corner + Vec2(0, d), corner + Vec2(-d, 0)}));
    f.canvas.Draw(diamond, kGold);
}

TextStyle Small(float capHeight, Color color, float tracking, float s)
{
    TextStyle style;
    style.capHeight = capHeight * s;
    style.weight = 0.13f;
    style.tracking = tracking;
    style.fill = SolidPaint(color);
    style.shadow = Color(0, 0, 0.02f, 0.8f);
    style.shadowOffset = Vec2(0.8f * s, 1.0f * s);
    style.shadowBlur = 0.9f * s;
    return style;
}

void DrawLeftUp(Frame& f)
{
    DrawBacking(f, 0.55f);
    DrawBracket(f, 150, 100);
    BrightfoldMark::Draw(f.canvas, f.At(48, 58), 54 * f.s);
    TextStyle name = Small(13, kGold, 0.22f, f.s);
    name.fill = LinearPaint(f.At(0, 50), f.At(0, 63), Gradient{{0, Color(1.0f, 0.95f, 0.8f)}, {1, kGold}});
    name.glow = Color(0.6f, 0.5f, 0.3f, 0.35f);
    name.glowBlur = 4 * f.s;
    Lettering::Draw(f.canvas, "BRIGHTFOLD", f.At(90, 63), Align::kLeft, name);
    Lettering::Draw(f.canvas, "presents", f.At(91, 82), Align::kLeft, Small(8, kPale, 0.18f, f.s));
}

// A compass rose: eight points, each split into a lit and a shaded half, over a fine ring.
void DrawRightUp(Frame& f)
{
    DrawBacking(f, 0.5f);
    DrawBracket(f, 100, 100);
    const Vec2 centre = f.At(60, 66);
    const float s = f.s;
    Mask ring(f.canvas.Width(), f.canvas.Height());
    ring.StrokePath(Path::Circle(centre, 27 * s), 1.0f * s);
    Path ticks;
    for (int i = 0; i < 32; ++i) {
        const float degrees = 360.0f * static_cast<float>(i) / 32.0f;
        const float inner = i % 4 == 0 ? 23.5f : 25.0f;
        ticks.MoveTo(PointOnEllipse(centre, inner * s, inner * s, degrees))
            .LineTo(PointOnEllipse(centre, 27 * s, 27 * s, degrees))
            .Close();
    }
    ring.StrokePath(ticks, 0.8f * s);
    f.canvas.Draw(ring, kGold.WithAlpha(0.75f));

    for (int i = 0; i < 8; ++i) {
        const bool cardinal = i % 2 == 0;
        const float degrees = 90.0f - 45.0f * static_cast<float>(i);
        const float length = (cardinal ? (i == 0 ? 44.0f : 38.0f) : 21.0f) * s;
        const float waist = (cardinal ? 6.0f : 4.5f) * s;
        const Vec2 tip = PointOnEllipse(centre, length, length, degrees);
        const Vec2 side1 = PointOnEllipse(centre, waist, waist, degrees + 45);
        const Vec2 side2 = PointOnEllipse(centre, waist, waist, degrees - 45);
        Mask lit(f.canvas.Width(), f.canvas.Height());
        lit.FillPath(Path::Polygon({centre, side1, tip}));
        Mask shaded(f.canvas.Width(), f.canvas.Height());
        shaded.FillPath(Path::Polygon({centre, tip, side2}));
        const Color light = i == 0 ? Color(1.0f, 0.96f, 0.86f) : cardinal ? Color(0.95f, 0.87f, 0.66f) : kPale;
        const Color dark = i == 0 ? Color(0.78f, 0.25f, 0.16f) : cardinal ? Color(0.58f, 0.44f, 0.24f)
                                                                          : Color(0.42f, 0.47f, 0.6f);
        f.canvas.Draw(lit, light);
        f.canvas.Draw(shaded, dark);
    }
    Mask hub(f.canvas.Width(), f.canvas.Height());
    hub.FillPath(Path::Circle(centre, 2.6f * s));
    f.canvas.Draw(hub, Color(0.3f, 0.2f, 0.1f));
    TextStyle north = Small(9, Color(1.0f, 0.95f, 0.85f), 0, s);
    north.weight = 0.15f;
    Lettering::Draw(f.canvas, "N", centre + Vec2(0, -47 * s), Align::kCentre, north);
}

void DrawLeftDown(Frame& f)
{
    DrawBacking(f, 0.6f);
    DrawBracket(f, 170, 46);
    TextStyle label = Small(16, Color(0.95f, 0.96f, 1.0f), 0.1f, f.s);
    label.fill = LinearPaint(f.At(0, 40), f.At(0, 24), Gradient{{0, Color(0.8f, 0.86f, 1.0f)}, {1, Color(1, 1, 1)}});
    label.glow = Color(0.45f, 0.55f, 0.8f, 0.45f);
    label.glowBlur = 4 * f.s;
    Lettering::Draw(f.canvas, "Loading...", f.At(26, 25), Align::kLeft, label);
}

// A little lighthouse sending two beams over three rows of waves.
void DrawRightDown(Frame& f)
{
    DrawBacking(f, 0.55f);
    DrawBracket(f, 170, 46);
    const float s = f.s;
    const Vec2 foot = f.At(46, 21);
    Mask tower(f.canvas.Width(), f.canvas.Height());
    tower.FillPath(Path::Polygon({foot + Vec2(-5.5f * s, 0), foot + Vec2(5.5f * s, 0), foot + Vec2(3.4f * s, -24 * s),
                                  foot + Vec2(-3.4f * s, -24 * s)}));
    tower.FillPath(Path::Rectangle(foot.x - 5.5f * s, foot.y - 26 * s, 11 * s, 2 * s));
    Path dome;
    dome.ArcTo(foot + Vec2(0, -32.5f * s), 3.8f * s, 3.4f * s, 0, 180).Close();
    tower.FillPath(dome);
    f.canvas.Draw(tower, LinearPaint(foot + Vec2(-5 * s, 0), foot + Vec2(5 * s, 0),
                                     Gradient{{0, Color(0.78f, 0.62f, 0.38f)}, {1, kGold}}));
    Mask band(f.canvas.Width(), f.canvas.Height());
    band.FillPath(Path::Rectangle(foot.x - 6 * s, foot.y - 15 * s, 12 * s, 5 * s));
    band.Combine(tower, Mask::Op::kIntersect);
    f.canvas.Draw(band, Color(0.72f, 0.2f, 0.14f));
    const Vec2 lamp = foot + Vec2(0, -29.5f * s);
    Mask light(f.canvas.Width(), f.canvas.Height());
    light.FillPath(Path::Rectangle(lamp.x - 2.7f * s, lamp.y - 2.8f * s, 5.4f * s, 5.4f * s));
    f.canvas.Draw(light, Color(1.0f, 0.97f, 0.85f));
    f.canvas.Splat(lamp, 5 * s, Color(1.0f, 0.85f, 0.55f, 0.5f));
    for (const float direction : {-1.0f, 1.0f}) {
        Mask beam(f.canvas.Width(), f.canvas.Height());
        const float reach = (direction < 0 ? 60.0f : 34.0f) * s;
        beam.FillPath(Path::Polygon({lamp, lamp + Vec2(direction * reach, -6 * s), lamp + Vec2(direction * reach, 4 * s)}));
        f.canvas.Draw(beam, [&, reach](Vec2 p) {
            const float t = std::fabs(p.x - lamp.x) / reach;
            return Color(1.0f, 0.88f, 0.6f, 0.55f * (1 - t));
        });
    }
    Path waves;
    for (int row = 0; row < 3; ++row) {
        const float y = 20.0f - static_cast<float>(row) * 4.5f;
        const float from = 100 - static_cast<float>(row) * 12;
        const float to = 14 + static_cast<float>(row) * 6;
        waves.MoveTo(f.At(from, y));
        for (float x = from; x > to; x -= 1.0f)
            waves.LineTo(f.At(x, y + 1.3f * std::sin((x + static_cast<float>(row) * 3) * 0.55f)));
        waves.Close();
    }
    Mask waveMask(f.canvas.Width(), f.canvas.Height());
    waveMask.StrokePath(waves, 1.2f * s);
    f.canvas.Draw(waveMask, kPale.WithAlpha(0.8f));
}

}  // namespace

int LoaderCorners::Width(Corner corner)
{
    return corner == Corner::kRightUp ? 128 : 256;
}

int LoaderCorners::Height(Corner corner)
{
    return corner == Corner::kLeftUp || corner == Corner::kRightUp ? 128 : 64;
}

Canvas LoaderCorners::Draw(Corner corner)
{
    Canvas canvas(Width(corner) * kSupersample, Height(corner) * kSupersample);
    Frame frame{canvas, static_cast<float>(kSupersample), corner == Corner::kRightDown || corner == Corner::kRightUp,
                corner == Corner::kLeftDown || corner == Corner::kRightDown};
    switch (corner) {
    case Corner::kLeftDown:
        DrawLeftDown(frame);
        break;
    case Corner::kRightDown:
        DrawRightDown(frame);
        break;
    case Corner::kLeftUp:
        DrawLeftUp(frame);
        break;
    case Corner::kRightUp:
        DrawRightUp(frame);
        break;
    }
    return canvas.Resampled(Width(corner), Height(corner));
}

}  // namespace zen::art
