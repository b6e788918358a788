#include "tools/art/Canvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace zen::art {
namespace {

// 8 × 8 ordered-dither thresholds, 0..63.
constexpr uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21},
};

uint8_t Quantize(float value, int x, int y)
{
    const float threshold = (static_cast<float>(kBayer[y & 7][x & 7]) + 0.5f) / 64.0f;
    const float scaled = std::floor(Clamp01(value) * 255.0f + threshold);
    return static_cast<uint8_t>(std::clamp(scaled, 0.0f, 255.0f));
}

// For each target pixel along one axis: the source pixels it overlaps and their weights.
struct Tap {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Tap> AreaTaps(int from, int to)
{
    std::vector<Tap> taps(static_cast<size_t>(to));
    const double scale = static_cast<double>(from) / static_cast<double>(to);
    for (int i = 0; i < to; ++i) {
        const double start = i * scale;
        const double end = (i + 1) * scale;
        Tap& tap = taps[static_cast<size_t>(i)];
        tap.first = static_cast<int>(std::floor(start));
        const int last = std::min(from - 1, static_cast<int>(std::ceil(end)) - 1);
        for (int s = tap.first; s <= last; ++s) {
            const double overlap = std::min(end, s + 1.0) - std::max(start, static_cast<double>(s));
            tap.weights.push_back(static_cast<float>(overlap / scale));
        }
    }
    return taps;
}

}  // namespace

Canvas::Canvas(int width, int height, Color fill)
    : m_width(std::max(0, width)),
      m_height(std::max(0, height)),
      m_pixels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 4, 0.0f)
{
    Fill(SolidPaint(fill));
}

Color Canvas::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return Color(0, 0, 0, 0);
    const float* p = Pixel(x, y);
    if (p[3] <= 0)
        return Color(0, 0, 0, 0);
    return Color(p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]);
}

void Canvas::Lay(float* pixel, Color color, float coverage, Blend blend)
{
    const float alpha = Clamp01(color.a) * coverage;
    if (alpha <= 0)
        return;
    pixel[0] = (blend == Blend::kAdd ? pixel[0] : pixel[0] * (1 - alpha)) + color.r * alpha;
    pixel[1] = (blend == Blend::kAdd ? pixel[1] : pixel[1] * (1 - alpha)) + color.g * alpha;
    pixel[2] = (blend == Blend::kAdd ? pixel[2] : pixel[2] * (1 - alpha)) + color.b * alpha;
    pixel[3] = pixel[3] * (1 - alpha) + alpha;
}

void Canvas::Fill(const Paint& paint)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            const Color c = paint(Vec2(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f));
            const float a = Clamp01(c.a);
            float* p = Pixel(x, y);
            p[0] = c.r * a;
            p[1] = c.g * a;
            p[2] = c.b * a;
            p[3] = a;
        }
}

void Canvas::Draw(const Mask& mask, Color color, Blend blend)
{
    Draw(mask, SolidPaint(color), blend);
}

void Canvas::Draw(const Mask& mask, const Paint& paint, Blend blend)
{
    const int width = std::min(m_width, mask.Width());
    const int height = std::min(m_height, mask.Height());
    for (int y = 0; y < height; ++y) {
        const float* coverage = mask.Row(y);
        for (int x = 0; x < width; ++x)
            if (coverage[x] > 0)
                Lay(Pixel(x, y), paint(Vec2(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f)), coverage[x],
                    blend);
    }
}

void Canvas::Draw(const Paint& paint, Blend blend)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            Lay(Pixel(x, y), paint(Vec2(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f)), 1, blend);
}

void Canvas::Draw(const Canvas& layer, int left, int top, Blend blend)
{
    for (int y = std::max(0, top); y < std::min(m_height, top + layer.m_height); ++y)
        for (int x = std::max(0, left); x < std::min(m_width, left + layer.m_width); ++x) {
            const float* source = layer.Pixel(x - left, y - top);
            float* pixel = Pixel(x, y);
            const float keep = blend == Blend::kAdd ? 1.0f : 1.0f - source[3];
            for (int c = 0; c < 3; ++c)
                pixel[c] = pixel[c] * keep + source[c];
            pixel[3] = pixel[3] * (1 - source[3]) + source[3];
        }
}

void Canvas::Splat(Vec2 centre, float sigmaX, float sigmaY, Color color)
{
    if (sigmaX <= 0 || sigmaY <= 0 || color.a <= 0)
        return;
    const float reachX = sigmaX * 3;
    const float reachY = sigmaY * 3;
    const int left = std::max(0, static_cast<int>(std::floor(centre.x - reachX)));
    const int right = std::min(m_width, static_cast<int>(std::ceil(centre.x + reachX)) + 1);
    const int top = std::max(0, static_cast<int>(std::floor(centre.y - reachY)));
    const int bottom = std::min(m_height, static_cast<int>(std::ceil(centre.y + reachY)) + 1);
    const float inverseX = 1.0f / (2 * sigmaX * sigmaX);
    const float inverseY = 1.0f / (2 * sigmaY * sigmaY);
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const float dx = static_cast<float>(x) + 0.5f - centre.x;
            const float dy = static_cast<float>(y) + 0.5f - centre.y;
            const float e = dx * dx * inverseX + dy * dy * inverseY;
            if (e > 4.5f)  // Beyond 3σ.
                continue;
            Lay(Pixel(x, y), color, std::exp(-e), Blend::kAdd);
        }
}

void Canvas::Shade(const std::function<Color(Vec2 centre, Color under)>& f)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            const Color c = f(Vec2(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f), At(x, y));
            const float a = Clamp01(c.a);
            float* p = Pixel(x, y);
            p[0] = c.r * a;
            p[1] = c.g * a;
            p[2] = c.b * a;
            p[3] = a;
        }
}

Canvas Canvas::Resampled(int width, int height) const
{
    Canvas out(width, height);
    if (width <= 0 || height <= 0 || m_width <= 0 || m_height <= 0)
        return out;
    const std::vector<Tap> across = AreaTaps(m_width, width);
    const std::vector<Tap> down = AreaTaps(m_height, height);
    // Rows first into a narrow intermediate, then columns.
    std::vector<float> narrow(static_cast<size_t>(width) * static_cast<size_t>(m_height) * 4, 0.0f);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < width; ++x) {
            const Tap& tap = across[static_cast<size_t>(x)];
            float* target = &narrow[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
            for (size_t i = 0; i < tap.weights.size(); ++i) {
                const float* source = Pixel(tap.first + static_cast<int>(i), y);
                for (int c = 0; c < 4; ++c)
                    target[c] += source[c] * tap.weights[i];
            }
        }
    for (int y = 0; y < height; ++y) {
        const Tap& tap = down[static_cast<size_t>(y)];
        for (int x = 0; x < width; ++x) {
            float* target = out.Pixel(x, y);
            for (size_t i = 0; i < tap.weights.size(); ++i) {
                const float* source =
                    &narrow[(static_cast<size_t>(tap.first + static_cast<int>(i)) * static_cast<size_t>(width) +
                             static_cast<size_t>(x)) *
                            4];
                for (int c = 0; c < 4; ++c)
                    target[c] += source[c] * tap.weights[i];
            }
        }
    }
    return out;
}

Ptr<Image> Canvas::ToImage(uint32_t format, const String& name, int bleed) const
{
    if (format != Image::kR8G8B8 && format != Image::kR8G8B8A8)
        return nullptr;
    Ptr<Image> image = new Image(name, format, static_cast<uint32_t>(m_width), static_cast<uint32_t>(m_height));
    if (!image->Data())
        return nullptr;
    const bool alpha = format == Image::kR8G8B8A8;
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);

    // Straight colours, and which pixels keep no alpha at all once stored.
    std::vector<Color> colors(count);
    std::vector<uint8_t> known(count, 1);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x);
            const float* p = Pixel(x, y);
            if (!alpha) {
                colors[i] = Color(p[0], p[1], p[2], 1);  // Over black.
            } else if (Quantize(p[3], x, y) == 0) {
                colors[i] = Color(0, 0, 0, 0);
                known[i] = 0;
            } else {
                colors[i] = Color(p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]);
            }
        }
    // Grow the visible colours outwards into the transparent pixels, one ring per pass.
    for (int pass = 0; alpha && pass < bleed; ++pass) {
        std::vector<uint8_t> next = known;
        bool grew = false;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                const size_t i = static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x);
                if (known[i])
                    continue;
                float r = 0;
                float g = 0;
                float b = 0;
                int n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx;
                        const int ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= m_width || ny >= m_height)
                            continue;
                        const size_t j = static_cast<size_t>(ny) * static_cast<size_t>(m_width) + static_cast<size_t>(nx);
                        if (!known[j])
                            continue;
                        r += colors[j].r;
                        g += colors[j].g;
                        b += colors[j].b;
                        ++n;
                    }
                if (n > 0) {
                    colors[i] = Color(r / static_cast<float>(n), g / static_cast<float>(n), b / static_cast<float>(n), 0);
                    next[i] = 1;
                    grew = true;
                }
            }
        known = std::move(next);
        if (!grew)
            break;
    }

    const uint32_t bytes = alpha ? 4 : 3;
    uint8_t* data = image->Data();
    for (int y = 0; y < m_height; ++y) {
        // Image rows are bottom-up.
        uint8_t* row = data + static_cast<size_t>(m_height - 1 - y) * static_cast<size_t>(m_width) * bytes;
        for (int x = 0; x < m_width; ++x) {
            const Color& c = colors[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
            uint8_t* out = row + static_cast<size_t>(x) * bytes;
            out[0] = Quantize(c.r, x, y);
            out[1] = Quantize(c.g, x, y);
            out[2] = Quantize(c.b, x, y);
            if (alpha)
                out[3] = Quantize(Pixel(x, y)[3], x, y);
        }
    }
    return image;
}

}  // namespace zen::art
