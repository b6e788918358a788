#include "tools/art/NightCoast.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Random.h"
#include "tools/art/ValueNoise.h"

namespace zen::art {
namespace {

constexpr float kPi = 3.14159265f;

Color Add(Color a, Color b, float k = 1)
{
    return Color(a.r + b.r * k, a.g + b.g * k, a.b + b.b * k, a.a);
}

Color Times(Color a, Color b)
{
    return Color(a.r * b.r, a.g * b.g, a.b * b.b, a.a);
}

// Light of intensity k in colour c, for Canvas::Splat (which adds colour × alpha).
Color Light(Color c, float k)
{
    return Color(c.r * k, c.g * k, c.b * k, 1);
}

// Moonlight and lamplight.
constexpr Color kMoonlight(0.78f, 0.84f, 1.0f);
constexpr Color kLamp(1.0f, 0.82f, 0.56f);

}  // namespace

NightCoast::NightCoast(Canvas& canvas, const CoastLayout& layout)
    : m_canvas(canvas),
      m_layout(layout),
      m_w(static_cast<float>(canvas.Width())),
      m_h(static_cast<float>(canvas.Height())),
      m_horizonY(layout.horizon * m_h),
      m_moon(layout.moon.x * m_w, layout.moon.y * m_h),
      m_moonRadius(layout.moonRadius * m_h)
{
    const float th = layout.towerHeight * m_h;
    m_towerTop = layout.towerBase * m_h - th;
    m_lamp = Vec2(layout.towerX * m_w, m_towerTop - 0.03f * th - 0.065f * th);
}

void NightCoast::Paint()
{
    PaintSky();
    PaintMilkyWay();
    PaintStars();
    PaintClouds();
    PaintMoon();
    PaintSea();
    PaintFarShore();
    PaintHeadland();
    PaintHouse();
    PaintTower();
    PaintLight();
    PaintRocks();
    PaintVignette();
}

std::vector<Vec2> NightCoast::RoughLine(Vec2 from, Vec2 to, int pieces, float roughness, uint32_t seed) const
{
    const ValueNoise noise(m_layout.seed ^ seed);
    std::vector<Vec2> points;
    pieces = std::max(1, pieces);
    for (int i = 0; i <= pieces; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(pieces);
        // Pinned at both ends, so rough lines join their neighbours without steps.
        const float pin = std::sqrt(std::max(0.0f, std::sin(kPi * t)));
        const float offset = (noise.Fractal(t * static_cast<float>(pieces) * 0.3f, 0.5f, 4, 2.1f, 0.55f) - 0.5f) * 2;
        points.push_back(Lerp(from, to, t) + Vec2(0, offset * roughness * pin));
    }
    return points;
}

Mask NightCoast::Rim(const Mask& shape, float width) const
{
    const int k = std::max(1, static_cast<int>(std::lround(width)));
    Mask rim = shape;
    // Open towards the moon: the neighbour up and to the right lies outside the shape.
    rim.Combine(shape.Shifted(-k, k), Mask::Op::kSubtract);
    rim.Blur(width * 0.5f);
    rim.Combine(shape, Mask::Op::kIntersect);
    return rim;
}

void NightCoast::AddFoam(const std::vector<Vec2>& line, float width, float strength, uint32_t seed)
{
    Path path;
    for (const Vec2& p : line)
        path.LineTo(p);
    Mask foam(m_canvas.Width(), m_canvas.Height());
    foam.StrokePath(path, width);
    const ValueNoise noise(m_layout.seed ^ seed);
    const float h = m_h;
    foam.Apply([&](int x, int y, float v) {
        if (v <= 0)
            return 0.0f;
        const float n = noise.Fractal(static_cast<float>(x) / (0.012f * h), static_cast<float>(y) / (0.005f * h), 3);
        return v * SmoothStep(0.38f, 0.68f, n);
    });
    foam.Blur(std::max(0.6f, width * 0.25f));
    m_canvas.Draw(foam, Light(Color(0.62f, 0.68f, 0.78f), strength), Canvas::Blend::kAdd);
}

void NightCoast::PaintSky()
{
    const Gradient sky{{0.0f, Color(0.006f, 0.012f, 0.036f)},
                       {0.45f, Color(0.018f, 0.038f, 0.095f)},
                       {0.82f, Color(0.05f, 0.095f, 0.19f)},
                       {1.0f, Color(0.11f, 0.165f, 0.28f)}};
    const float h = m_h;
    m_canvas.Fill([&](Vec2 p) {
        Color c = sky.Sample(p.y / m_horizonY);
        const float d = (p - m_moon).Length() / h;
        const float halo = 0.16f * std::exp(-d / 0.09f) + 0.07f * std::exp(-d / 0.32f);
        c = Add(c, Color(0.55f, 0.62f, 0.78f), halo);
        const float haze = (p.y - m_horizonY) / (0.06f * h);
        c = Add(c, Color(0.35f, 0.45f, 0.62f), 0.08f * std::exp(-haze * haze));
        return c;
    });
}

void NightCoast::PaintMilkyWay()
{
    const Vec2 from(0.12f * m_w, -0.05f * m_h);
    const Vec2 to(0.58f * m_w, m_horizonY);
    const Vec2 axis = to - from;
    const float length = axis.Length();
    const Vec2 along = axis / length;
    const ValueNoise stream(m_layout.seed + 11);
    const ValueNoise dust(m_layout.seed + 12);
    const float h = m_h;
    m_canvas.Draw(
        [&](Vec2 p) {
            if (p.y > m_horizonY)
                return Color(0, 0, 0, 0);
            const Vec2 v = p - from;
            const float s = Dot(v, along) / h;
            const float across = (v.x * along.y - v.y * along.x) / h;
            const float band = std::exp(-(across / 0.085f) * (across / 0.085f));
            if (band < 0.01f)
                return Color(0, 0, 0, 0);
            const float n = stream.Fractal(s * 5, across * 16, 5);
            const float lanes = dust.Fractal(s * 7, across * 22, 4);
            float glow = band * (0.35f + 0.9f * SmoothStep(0.38f, 0.75f, n));
            glow *= 1 - 0.65f * SmoothStep(0.5f, 0.68f, lanes) * SmoothStep(0.3f, 0.9f, band);
            glow *= SmoothStep(m_horizonY, m_horizonY - 0.18f * h, p.y);
            return Light(Color(0.085f, 0.095f, 0.13f), glow);
        },
        Canvas::Blend::kAdd);
}

void NightCoast::PaintStars()
{
    Random random(m_layout.seed + 21);
    const float scale = m_h / 768.0f;
    const float sky = m_horizonY - 0.004f * m_h;
    const int count = static_cast<int>(m_layout.starDensity * 1500.0f * (m_w / m_h) * (sky / m_h));
    // The Milky Way's band, for a second, denser sprinkling of faint stars.
    const Vec2 from(0.12f * m_w, -0.05f * m_h);
    const Vec2 axis = Vec2(0.58f * m_w, m_horizonY) - from;
    const Vec2 along = axis / axis.Length();

    for (int i = 0; i < count * 3 / 2; ++i) {
        const bool banded = i >= count;
        const Vec2 p(random.Range(0, m_w), random.Range(0, sky));
        const float magnitude = std::pow(random.Next(), banded ? 6.0f : 3.6f);
        const float tint = random.Next();
        const float twinkle = random.Next();
        if (banded) {
            const Vec2 v = p - from;
            const float across = (v.x * along.y - v.y * along.x) / m_h;
            if (twinkle > std::exp(-(across / 0.07f) * (across / 0.07f)))
                continue;
        }
        const float moonDistance = (p - m_moon).Length() / m_h;
        if (moonDistance < m_layout.moonRadius * 1.6f)
            continue;
        float brightness = 0.1f + 1.15f * magnitude;
        brightness *= 0.2f + 0.8f * SmoothStep(m_horizonY, m_horizonY - 0.22f * m_h, p.y);
        brightness *= 1 - 0.85f * std::exp(-moonDistance / 0.13f);
        const Color color = tint < 0.22f   ? Color(0.72f, 0.83f, 1.0f)
                            : tint < 0.36f ? Color(1.0f, 0.88f, 0.72f)
                                           : Color(0.95f, 0.96f, 1.0f);
        const float sigma = (0.55f + 0.55f * magnitude) * scale;
        m_canvas.Splat(p, sigma, Light(color, brightness));
        if (magnitude > 0.45f)
            m_canvas.Splat(p, sigma * 4.5f, Light(color, brightness * 0.07f));
        if (magnitude > 0.8f) {
            // Four faint rays on the brightest.
            for (int k = 1; k <= 7; ++k) {
                const float offset = static_cast<float>(k) * sigma * 0.9f;
                const Color ray = Light(color, brightness * 0.3f * std::exp(-static_cast<float>(k) / 2.5f));
                m_canvas.Splat(p + Vec2(offset, 0), sigma * 0.6f, ray);
                m_canvas.Splat(p - Vec2(offset, 0), sigma * 0.6f, ray);
                m_canvas.Splat(p + Vec2(0, offset), sigma * 0.6f, ray);
                m_canvas.Splat(p - Vec2(0, offset), sigma * 0.6f, ray);
            }
        }
    }
}

void NightCoast::PaintClouds()
{
    const ValueNoise noise(m_layout.seed + 31);
    const ValueNoise detail(m_layout.seed + 32);
    const float h = m_h;
    const float horizon = m_layout.horizon;
    const float moonY = m_layout.moon.y;
    m_canvas.Draw([&](Vec2 p) {
        if (p.y > m_horizonY)
            return Color(0, 0, 0, 0);
        const float y = p.y / h;
        // A band of thin streaks just under the moon, and a low bank along the horizon.
        const float high = (y - moonY - 0.05f) / 0.05f;
        const float low = (y - horizon + 0.07f) / 0.04f;
        const float envelope = 0.9f * std::exp(-high * high) + 1.0f * std::exp(-low * low);
        if (envelope < 0.02f)
            return Color(0, 0, 0, 0);
        const float n = noise.Fractal(p.x / h * 1.6f, y * 11.0f, 5, 2.0f, 0.55f);
        const float wisps = detail.Fractal(p.x / h * 7.0f, y * 40.0f, 3);
        const float density = SmoothStep(0.46f, 0.78f, n) * (0.6f + 0.6f * wisps) * envelope;
        if (density <= 0)
            return Color(0, 0, 0, 0);
        const float lit = std::exp(-(p - m_moon).Length() / h / 0.22f);
        const Color dark(0.04f, 0.055f, 0.095f);
        const Color silver(0.42f, 0.47f, 0.58f);
        // Thin parts near the moon glow; thick ones stay dark.
        const Color c = Mix(dark, silver, Clamp01(lit * 1.5f * (1.15f - density * 0.7f)));
        return c.WithAlpha(Clamp01(density * 0.85f));
    });
}

void NightCoast::PaintMoon()
{
    const float r = m_moonRadius;
    m_canvas.Splat(m_moon, r * 1.3f, Light(Color(0.6f, 0.66f, 0.8f), 0.35f));
    m_canvas.Splat(m_moon, r * 3.0f, Light(Color(0.5f, 0.56f, 0.7f), 0.12f));
    Mask disc(m_canvas.Width(), m_canvas.Height());
    disc.FillPath(Path::Circle(m_moon, r));
    const ValueNoise maria(m_layout.seed + 41);
    const ValueNoise craters(m_layout.seed + 42);
    // The dark seas: a few soft patches, their edges broken by noise.
    struct Sea {
        Vec2 at;
        float radius;
    };
    const Sea seas[] = {{{-0.3f, -0.28f}, 0.32f}, {{0.12f, -0.38f}, 0.26f}, {{0.3f, 0.05f}, 0.24f},
                        {{-0.08f, 0.12f}, 0.2f},  {{-0.42f, 0.3f}, 0.18f}};
    m_canvas.Draw(disc, [&](Vec2 p) {
        const Vec2 q = (p - m_moon) / r;
        const float d2 = std::min(1.0f, Dot(q, q));
        float dark = 0;
        for (const Sea& sea : seas) {
            const Vec2 v = (q - sea.at) / sea.radius;
            dark = std::max(dark, std::exp(-Dot(v, v) * 1.4f));
        }
        dark *= 0.6f + 0.8f * maria.Fractal(q.x * 3 + 3, q.y * 3 + 7, 3);
        const float pits = craters.Fractal(q.x * 7 + 1, q.y * 7 + 2, 3);
        float light = (1.0f - 0.2f * Clamp01(dark)) * (0.93f + 0.07f * pits);
        light *= 0.8f + 0.2f * std::sqrt(1 - d2);
        return Color(1.0f * light, 0.975f * light, 0.91f * light);
    });
}

void NightCoast::PaintFarShore()
{
    const float y = m_horizonY;
    std::vector<Vec2> top = RoughLine(Vec2(0.6f * m_w, y + 0.001f * m_h), Vec2(0.74f * m_w, y - 0.014f * m_h), 14,
                                      0.004f * m_h, 51);
    const std::vector<Vec2> rest =
        RoughLine(Vec2(0.74f * m_w, y - 0.014f * m_h), Vec2(1.02f * m_w, y - 0.02f * m_h), 24, 0.006f * m_h, 52);
    top.insert(top.end(), rest.begin() + 1, rest.end());
    top.push_back(Vec2(1.02f * m_w, y + 0.003f * m_h));
    top.push_back(Vec2(0.6f * m_w, y + 0.003f * m_h));
    Mask land(m_canvas.Width(), m_canvas.Height());
    land.FillPath(Path::Polygon(top));
    m_canvas.Draw(land, Color(0.028f, 0.04f, 0.072f));
    // A village far away.
    Random random(m_layout.seed + 53);
    for (int i = 0; i < 5; ++i) {
        const Vec2 p(random.Range(0.8f, 0.95f) * m_w, y - random.Range(0.002f, 0.009f) * m_h);
        const float k = random.Range(0.4f, 0.9f);
        m_canvas.Splat(p, 0.0012f * m_h, Light(kLamp, k));
        m_canvas.Splat(p, 0.005f * m_h, Light(kLamp, k * 0.06f));
    }
}

void NightCoast::PaintSea()
{
    const float h = m_h;
    const float w = m_w;
    const float depth = m_h - m_horizonY;
    const ValueNoise swell(m_layout.seed + 61);
    m_canvas.Shade([&](Vec2 p, Color under) {
        const float coverage = Clamp01(p.y + 0.5f - m_horizonY);
        if (coverage <= 0)
            return under;
        const float dn = std::max(p.y - m_horizonY, 0.25f) / h;
        const float t = Clamp01((p.y - m_horizonY) / depth);
        Color sea = Mix(Color(0.075f, 0.115f, 0.21f), Color(0.005f, 0.013f, 0.034f), std::pow(t, 0.45f));
        // Long swells in perspective: flat far away, broad close by.
        const float z = 0.05f / dn;
        const float wx = (p.x - w * 0.5f) / h * z;
        const float n = swell.Fractal(wx * 9, z * 11, 3);
        const float contrast = SmoothStep(0.01f, 0.16f, dn);
        sea = sea.Scaled(1 + (n - 0.5f) * 0.9f * contrast);
        // The moon's glow on the water beneath it.
        const float across = (p.x - m_moon.x) / (0.16f * w + 0.4f * dn * h);
        sea = Add(sea, Color(0.12f, 0.14f, 0.19f), std::exp(-across * across) * std::pow(1 - t, 2.0f) * 0.6f);
        return Mix(under, sea, coverage);
    });

    // Glints: short horizontal streaks, dense and bright in the moon's path, sparse elsewhere.
    Random random(m_layout.seed + 62);
    const float scale = m_h / 768.0f;
    const int glints = static_cast<int>(2600 * (m_w / m_h) * (depth / m_h) / 0.4f);
    for (int i = 0; i < glints; ++i) {
        const float u = random.Next();
        const float dn = std::pow(u, 1.7f) * (depth / m_h);
        const float y = m_horizonY + dn * m_h + 0.6f * scale;
        const float inPath = random.Next();
        float x = 0;
        float k = 0;
        const float halfWidth = (0.012f + 0.3f * dn) * m_w;
        if (inPath < 0.7f) {
            // Box-Muller spread around the moon's column.
            const float a = std::max(random.Next(), 1e-6f);
            const float b = random.Next();
            const float g = std::sqrt(-2 * std::log(a)) * std::cos(2 * kPi * b);
            x = m_moon.x + g * halfWidth * 0.55f;
            const float across = (x - m_moon.x) / halfWidth;
            k = random.Range(0.35f, 1.15f) * std::exp(-across * across) * (1.1f - 0.9f * std::pow(dn / 0.4f, 0.7f));
        } else {
            x = random.Range(0, m_w);
            k = random.Range(0.03f, 0.12f);
        }
        const float length = (0.003f + 0.045f * dn) * m_w * random.Range(0.3f, 1.0f);
        const float thickness = std::max(0.45f * scale, 0.011f * dn * m_h);
        m_canvas.Splat(Vec2(x, y), length * 0.4f, thickness * 0.5f, Light(Color(0.95f, 0.93f, 0.84f), k));
    }
    // The lamp's warm reflection under the headland's tip.
    for (int i = 0; i < 160; ++i) {
        const float dn = (0.075f + std::pow(random.Next(), 1.4f) * 0.3f) * (depth / m_h) / 0.4f;
        const float y = m_horizonY + dn * m_h;
        const float x = m_lamp.x + random.Range(-1, 1) * (0.01f + 0.06f * dn) * m_w;
        const float length = (0.004f + 0.03f * dn) * m_w * random.Range(0.3f, 1.0f);
        m_canvas.Splat(Vec2(x, y), length * 0.4f, std::max(0.45f * scale, 0.008f * dn * m_h),
                       Light(kLamp, random.Range(0.1f, 0.35f) * (1.2f - dn * 2)));
    }
}

void NightCoast::PaintHeadland()
{
    const float w = m_w;
    const float h = m_h;
    const float base = m_layout.towerBase * h;
    const float x = m_layout.towerX * w;
    const float th = m_layout.towerHeight * h;
    const float end = m_layout.headlandEnd * w;
    const float shoreLeft = m_horizonY + m_layout.headlandShore * h;
    const float shoreRight = m_horizonY + 0.012f * h;

    // The ridge: high cliffs on the left, a level ground for the lighthouse, a rocky slope down
    // to the point.
    const Vec2 keys[] = {
        Vec2(-0.02f * w, base - 0.08f * h),       Vec2(x - 0.85f * th, base - 0.065f * h),
        Vec2(x - 0.6f * th, base - 0.01f * h),    Vec2(x - 0.5f * th, base + 0.002f * h),
        Vec2(x + 0.35f * th, base),               Vec2(x + 0.55f * th, base + 0.01f * h),
        Vec2(end - 0.08f * w, m_horizonY - 0.03f * h), Vec2(end, shoreRight),
    };
    const float roughness[] = {0.012f, 0.014f, 0.004f, 0.0015f, 0.004f, 0.014f, 0.01f};
    m_headlandTop.clear();
    for (size_t i = 0; i + 1 < std::size(keys); ++i) {
        const float span = (keys[i + 1] - keys[i]).Length();
        const std::vector<Vec2> piece = RoughLine(keys[i], keys[i + 1], std::max(4, static_cast<int>(span / h * 120)),
                                                  roughness[i] * h, 70 + static_cast<uint32_t>(i));
        m_headlandTop.insert(m_headlandTop.end(), piece.begin() + (i == 0 ? 0 : 1), piece.end());
    }
    std::vector<Vec2> shore =
        RoughLine(Vec2(end, shoreRight), Vec2(-0.02f * w, shoreLeft), 60, 0.004f * h, 79);
    std::vector<Vec2> outline = m_headlandTop;
    outline.insert(outline.end(), shore.begin() + 1, shore.end());

    Mask land(m_canvas.Width(), m_canvas.Height());
    land.FillPath(Path::Polygon(outline));
    const ValueNoise rock(m_layout.seed + 81);
    const float step = 0.004f * h;
    m_canvas.Draw(land, [&](Vec2 p) {
        const float fx = p.x / h * 16;
        const float fy = p.y / h * 26;
        const float n = rock.Fractal(fx, fy, 5);
        // Relief: faces whose noise rises towards the moon (up and right) catch its light.
        const float slope = rock.Fractal(fx + step / h * 16, fy - step / h * 26, 5) - n;
        const float strata = rock.Fractal(p.x / h * 3, p.y / h * 60, 2);
        const float height = Clamp01((shoreLeft - p.y) / (0.2f * h));
        Color c = Color(0.02f, 0.025f, 0.04f).Scaled((0.7f + 0.5f * n + 0.25f * (strata - 0.5f)) * (0.8f + 0.4f * height));
        return Add(c, Color(0.11f, 0.13f, 0.19f), Clamp01(slope * 14) * 0.6f);
    });
    // Moonlight catches the edges that face it.
    m_canvas.Draw(Rim(land, 0.005f * h), Light(Color(0.3f, 0.36f, 0.5f), 0.55f), Canvas::Blend::kAdd);
    Mask broad = Rim(land, 0.02f * h);
    broad.Blur(0.006f * h);
    broad.Combine(land, Mask::Op::kIntersect);
    m_canvas.Draw(broad, Light(Color(0.2f, 0.24f, 0.34f), 0.2f), Canvas::Blend::kAdd);
    AddFoam(shore, 0.007f * h, 0.45f, 83);
}

void NightCoast::PaintHouse()
{
    const float h = m_h;
    const float th = m_layout.towerHeight * h;
    const float ground = m_layout.towerBase * h + 0.003f * h;
    const float right = m_layout.towerX * m_w - 0.08f * th;
    const float width = 0.42f * th;
    const float wall = 0.17f * th;
    const float left = right - width;
    const int cw = m_canvas.Width();
    const int ch = m_canvas.Height();

    Mask walls(cw, ch);
    walls.FillPath(Path::Rectangle(left, ground - wall, width, wall + 0.01f * h));
    m_canvas.Draw(walls, LinearPaint(Vec2(left, 0), Vec2(right, 0),
                                     Gradient{{0, Color(0.07f, 0.075f, 0.095f)}, {1, Color(0.17f, 0.18f, 0.22f)}}));
    Mask roof(cw, ch);
    roof.FillPath(Path::Polygon({{left - 0.04f * th, ground - wall + 0.005f * th},
                                 {left + width * 0.5f, ground - wall - 0.13f * th},
                                 {right + 0.04f * th, ground - wall + 0.005f * th}}));
    roof.FillPath(Path::Rectangle(left + width * 0.68f, ground - wall - 0.15f * th, 0.05f * th, 0.1f * th));
    m_canvas.Draw(roof, Color(0.05f, 0.04f, 0.05f));
    m_canvas.Draw(Rim(roof, 0.003f * h), Light(Color(0.3f, 0.34f, 0.46f), 0.5f), Canvas::Blend::kAdd);
    for (int i = 0; i < 2; ++i) {
        const float wx = left + width * (0.22f + 0.4f * static_cast<float>(i));
        const float wy = ground - wall * 0.72f;
        Mask window(cw, ch);
        window.FillPath(Path::Rectangle(wx, wy, 0.075f * th, 0.085f * th));
        m_canvas.Draw(window, Color(1.0f, 0.74f, 0.38f));
        m_canvas.Splat(Vec2(wx + 0.037f * th, wy + 0.042f * th), 0.09f * th, Light(kLamp, 0.12f));
    }
}

void NightCoast::PaintTower()
{
    const float h = m_h;
    const float th = m_layout.towerHeight * h;
    const float axis = m_layout.towerX * m_w;
    const float base = m_layout.towerBase * h + 0.004f * h;
    const float top = m_towerTop;
    const float bottomHalf = 0.13f * th;
    const float topHalf = 0.085f * th;
    const int cw = m_canvas.Width();
    const int ch = m_canvas.Height();
    const float pixel = 1.0f;

    // Body: a tapered cylinder in red and white bands, lit by the moon from the right and by the
    // lantern from above.
    Mask body(cw, ch);
    body.FillPath(Path::Polygon({{axis - bottomHalf, base}, {axis + bottomHalf, base},
                                 {axis + topHalf, top}, {axis - topHalf, top}}));
    const float bands[] = {0.22f, 0.42f, 0.66f, 0.86f};  // Red from bands[0] to [1] and [2] to [3].
    m_canvas.Draw(body, [&](Vec2 p) {
        const float t = (base - p.y) / (base - top);
        const float half = bottomHalf + (topHalf - bottomHalf) * t;
        const float u = std::clamp((p.x - axis) / half, -1.0f, 1.0f);
        const float edge = pixel / (base - top);
        const float red = SmoothStep(bands[0] - edge, bands[0] + edge, t) - SmoothStep(bands[1] - edge, bands[1] + edge, t) +
                          SmoothStep(bands[2] - edge, bands[2] + edge, t) - SmoothStep(bands[3] - edge, bands[3] + edge, t);
        const Color albedo = Mix(Color(0.86f, 0.87f, 0.9f), Color(0.66f, 0.1f, 0.08f), red);
        const float facing = std::sqrt(std::max(0.0f, 1 - u * u));
        const float diffuse = std::max(0.0f, 0.62f * u + 0.78f * facing);
        Color c = Times(albedo, kMoonlight).Scaled(0.07f + 0.5f * diffuse * diffuse);
        c = Add(c, Times(albedo, kLamp), 0.35f * std::exp(-(1 - t) / 0.05f));
        return c;
    });
    m_canvas.Draw(Rim(body, 0.003f * h), Light(Color(0.4f, 0.45f, 0.6f), 0.35f), Canvas::Blend::kAdd);

    // Door and lit windows on the axis.
    Mask door(cw, ch);
    Path arch;
    arch.MoveTo(Vec2(axis - 0.04f * th, base))
        .LineTo(Vec2(axis - 0.04f * th, base - 0.08f * th))
        .ArcTo(Vec2(axis, base - 0.08f * th), 0.04f * th, 0.04f * th, 180, 0)
        .LineTo(Vec2(axis + 0.04f * th, base))
        .Close();
    door.FillPath(arch);
    m_canvas.Draw(door, Color(0.02f, 0.02f, 0.03f));
    for (const float t : {0.34f, 0.56f, 0.77f}) {
        const float y = base - (base - top) * t;
        Mask window(cw, ch);
        window.FillPath(Path::Rectangle(axis - 0.018f * th, y - 0.03f * th, 0.036f * th, 0.06f * th));
        m_canvas.Draw(window, Color(0.95f, 0.7f, 0.38f));
        m_canvas.Splat(Vec2(axis, y), 0.05f * th, Light(kLamp, 0.1f));
    }

    // Gallery, lantern room with its light, railing and dome.
    const float galleryHalf = 0.135f * th;
    const float galleryTop = top - 0.03f * th;
    const float lanternHalf = 0.075f * th;
    const float lanternTop = galleryTop - 0.13f * th;
    Mask gallery(cw, ch);
    gallery.FillPath(Path::Polygon({{axis - topHalf, top + 0.015f * th}, {axis + topHalf, top + 0.015f * th},
                                    {axis + galleryHalf, galleryTop + 0.012f * th}, {axis + galleryHalf, galleryTop},
                                    {axis - galleryHalf, galleryTop}, {axis - galleryHalf, galleryTop + 0.012f * th}}));
    m_canvas.Draw(gallery, Color(0.05f, 0.05f, 0.06f));
    Mask glass(cw, ch);
    glass.FillPath(Path::Rectangle(axis - lanternHalf, lanternTop, 2 * lanternHalf, galleryTop - lanternTop));
    m_canvas.Draw(glass, [&](Vec2 p) {
        const float u = (p.x - axis) / lanternHalf;
        const float v = (p.y - (lanternTop + galleryTop) * 0.5f) / ((galleryTop - lanternTop) * 0.5f);
        const float core = std::exp(-(u * u + v * v) * 1.6f);
        return Mix(Color(1.0f, 0.72f, 0.36f), Color(1.0f, 0.97f, 0.86f), core);
    });
    Path frames;
    for (const float f : {-1.0f, -0.34f, 0.34f, 1.0f})
        frames.MoveTo(Vec2(axis + f * lanternHalf, lanternTop)).LineTo(Vec2(axis + f * lanternHalf, galleryTop)).Close();
    frames.MoveTo(Vec2(axis - lanternHalf, lanternTop)).LineTo(Vec2(axis + lanternHalf, lanternTop)).Close();
    Mask frameMask(cw, ch);
    frameMask.StrokePath(frames, 0.012f * th);
    m_canvas.Draw(frameMask, Color(0.08f, 0.06f, 0.06f).WithAlpha(0.85f));

    Path rails;
    const float railTop = galleryTop - 0.055f * th;
    rails.MoveTo(Vec2(axis - galleryHalf, railTop)).LineTo(Vec2(axis + galleryHalf, railTop)).Close();
    for (int i = 0; i <= 10; ++i) {
        const float rx = axis - galleryHalf + 2 * galleryHalf * static_cast<float>(i) / 10.0f;
        rails.MoveTo(Vec2(rx, railTop)).LineTo(Vec2(rx, galleryTop)).Close();
    }
    Mask railing(cw, ch);
    railing.StrokePath(rails, 0.008f * th);
    m_canvas.Draw(railing, Color(0.04f, 0.035f, 0.04f));

    Mask dome(cw, ch);
    Path domePath;
    domePath.ArcTo(Vec2(axis, lanternTop), 0.095f * th, 0.075f * th, 0, 180).Close();
    dome.FillPath(domePath);
    dome.FillPath(Path::Circle(Vec2(axis, lanternTop - 0.09f * th), 0.018f * th));
    Path spike;
    spike.MoveTo(Vec2(axis, lanternTop - 0.07f * th)).LineTo(Vec2(axis, lanternTop - 0.14f * th));
    dome.StrokePath(spike, 0.008f * th);
    m_canvas.Draw(dome, [&](Vec2 p) {
        const float u = std::clamp((p.x - axis) / (0.095f * th), -1.0f, 1.0f);
        const float light = 0.08f + 0.3f * std::max(0.0f, 0.6f * u + 0.8f * std::sqrt(std::max(0.0f, 1 - u * u)));
        return Color(0.55f, 0.12f, 0.09f).Scaled(light);
    });
    m_canvas.Draw(Rim(dome, 0.002f * h), Light(Color(0.5f, 0.5f, 0.62f), 0.35f), Canvas::Blend::kAdd);
}

void NightCoast::PaintLight()
{
    const float h = m_h;
    const float w = m_w;
    const ValueNoise haze(m_layout.seed + 91);
    auto beam = [&](float degrees, float reach, float strength, float spread) {
        const float a = degrees * kPi / 180.0f;
        const Vec2 direction(std::cos(a), -std::sin(a));
        m_canvas.Draw(
            [&, direction](Vec2 p) {
                const Vec2 v = p - m_lamp;
                const float along = Dot(v, direction);
                if (along <= 0)
                    return Color(0, 0, 0, 0);
                const float across = std::fabs(v.x * direction.y - v.y * direction.x) / along;
                const float cone = std::exp(-(across / spread) * (across / spread)) +
                                   0.3f * std::exp(-(across / (spread * 2.6f)) * (across / (spread * 2.6f)));
                const float fade = std::exp(-along / (reach * w)) * SmoothStep(0, 0.02f * h, along);
                const float dust = 0.65f + 0.7f * haze.Fractal(p.x / h * 5, p.y / h * 9, 3);
                return Light(kLamp, strength * cone * fade * dust);
            },
            Canvas::Blend::kAdd);
    };
    beam(m_layout.beamDegrees, m_layout.beamReach, 0.4f, 0.032f);
    beam(180.0f + m_layout.beamDegrees * 0.5f, m_layout.beamReach * 0.3f, 0.26f, 0.05f);

    m_canvas.Splat(m_lamp, 0.1f * h, Light(kLamp, 0.14f));
    m_canvas.Splat(m_lamp, 0.035f * h, Light(kLamp, 0.45f));
    m_canvas.Splat(m_lamp, 0.012f * h, Light(Color(1.0f, 0.92f, 0.78f), 1.1f));
    m_canvas.Splat(m_lamp, 0.16f * w, 0.0022f * h, Light(kLamp, 0.28f));
}

void NightCoast::PaintRocks()
{
    if (m_layout.rockHeight <= 0)
        return;
    const float h = m_h;
    const float w = m_w;
    const int cw = m_canvas.Width();
    const int ch = m_canvas.Height();
    Random random(m_layout.seed + 101);
    const Vec2 toMoon = Vec2(0.75f, -0.66f);
    const ValueNoise grain(m_layout.seed + 120);
    struct Cluster {
        float from;
        float to;
        float height;
        int count;
    };
    const Cluster clusters[] = {{-0.05f, 0.3f, 1.0f, 5}, {0.78f, 1.05f, 0.75f, 4}};
    Mask all(cw, ch);
    for (const Cluster& cluster : clusters) {
        for (int i = 0; i < cluster.count; ++i) {
            const float t = (static_cast<float>(i) + random.Range(0.25f, 0.75f)) / static_cast<float>(cluster.count);
            const float cx = (cluster.from + (cluster.to - cluster.from) * t) * w;
            // Taller in the middle of the cluster, lower at its ends.
            const float hump = std::sin(kPi * t) * 0.6f + 0.4f;
            const float ry = m_layout.rockHeight * cluster.height * h * hump * random.Range(0.75f, 1.1f);
            const float rx = ry * random.Range(1.0f, 1.5f);
            const float base = h + 0.01f * h;

            // A worn boulder of flat facets around a peak, each facet lit by how it faces the moon.
            const int corners = 7 + static_cast<int>(random.Next() * 3);
            std::vector<Vec2> ring;
            ring.push_back(Vec2(cx - rx * 1.05f, base + 0.02f * h));
            for (int k = 0; k < corners; ++k) {
                const float degrees = 180.0f - 180.0f * (static_cast<float>(k) + random.Range(0.2f, 0.8f)) /
                                                   static_cast<float>(corners);
                const float a = degrees * kPi / 180.0f;
                const float r = random.Range(0.8f, 1.05f);
                ring.push_back(Vec2(cx + std::cos(a) * rx * r, base - std::pow(std::sin(a), 0.8f) * ry * r));
            }
            ring.push_back(Vec2(cx + rx * 1.05f, base + 0.02f * h));
            const Vec2 peak(cx + rx * random.Range(-0.1f, 0.3f), base - ry * random.Range(0.45f, 0.65f));

            Mask body(cw, ch);
            body.FillPath(Path::Polygon(ring));
            m_canvas.Draw(body, Color(0.012f, 0.015f, 0.024f));
            for (size_t k = 0; k + 1 < ring.size(); ++k) {
                Mask facet(cw, ch);
                facet.FillPath(Path::Polygon({peak, ring[k], ring[k + 1]}));
                Vec2 out = (ring[k] + ring[k + 1]) * 0.5f - peak;
                out = out / std::max(out.Length(), 1e-3f);
                const float lit = std::max(0.0f, Dot(out, toMoon));
                const float shade = 0.25f + 1.1f * lit * lit + 0.15f * random.Next();
                m_canvas.Draw(facet, [&, shade](Vec2 p) {
                    const float n = grain.Fractal(p.x / h * 30, p.y / h * 30, 4);
                    return Color(0.03f, 0.036f, 0.055f).Scaled(shade * (0.75f + 0.5f * n));
                });
            }
            all.Combine(body, Mask::Op::kUnion);
            // Surf where the water meets the stone.
            for (int k = 0; k < 18; ++k) {
                const float x = cx + random.Range(-1.2f, 1.2f) * rx;
                const float y = h - random.Range(0.004f, 0.03f) * h;
                m_canvas.Splat(Vec2(x, y), random.Range(0.01f, 0.035f) * h, random.Range(0.0012f, 0.0025f) * h,
                               Light(Color(0.6f, 0.66f, 0.76f), random.Range(0.05f, 0.22f)));
            }
        }
    }
    m_canvas.Draw(Rim(all, 0.004f * h), Light(Color(0.32f, 0.38f, 0.52f), 0.6f), Canvas::Blend::kAdd);
}

void NightCoast::PaintVignette()
{
    const Vec2 centre(m_w * 0.5f, m_h * 0.5f);
    const float reach = centre.Length();
    const float strength = m_layout.vignette;
    m_canvas.Shade([&](Vec2 p, Color under) {
        const float r = (p - centre).Length() / reach;
        return under.Scaled(1 - strength * SmoothStep(0.4f, 1.05f, r));
    });
}

}  // namespace zen::art
