#include "tools/art/Mask.h"

#include <algorithm>
#include <cmath>

namespace zen::art {
namespace {

float ApplyOp(Mask::Op op, float old, float value)
{
    switch (op) {
    case Mask::Op::kUnion:
        return std::max(old, value);
    case Mask::Op::kAdd:
        return std::min(1.0f, old + value);
    case Mask::Op::kSubtract:
        return old * (1.0f - value);
    case Mask::Op::kIntersect:
        return old * value;
    }
    return old;
}

// The pixel box [left, right) × [top, bottom) that holds `low`..`high` grown by `margin`,
// clipped to the mask. False when nothing of it lies on the mask.
bool PixelBox(Vec2 low, Vec2 high, float margin, int width, int height, int& left, int& top, int& right,
              int& bottom)
{
    left = std::max(0, static_cast<int>(std::floor(low.x - margin)));
    top = std::max(0, static_cast<int>(std::floor(low.y - margin)));
    right = std::min(width, static_cast<int>(std::ceil(high.x + margin)) + 1);
    bottom = std::min(height, static_cast<int>(std::ceil(high.y + margin)) + 1);
    return left < right && top < bottom;
}

// Adds the signed area that the line p0-p1 contributes to each cell of `cells` (rows of
// `stride` = width + 2 values); the running sum along a row is then the coverage. The line must
// lie within 0 <= x <= width. Adapted from the accumulation rasterizer of font-rs.
void AccumulateLine(std::vector<float>& cells, int stride, int height, Vec2 p0, Vec2 p1)
{
    if (p0.y == p1.y)
        return;
    float direction = 1;
    if (p0.y > p1.y) {
        std::swap(p0, p1);
        direction = -1;
    }
    if (p1.y <= 0 || p0.y >= static_cast<float>(height))
        return;
    const float dxdy = (p1.x - p0.x) / (p1.y - p0.y);
    float x = p0.x;
    float yStart = p0.y;
    if (yStart < 0) {
        x -= yStart * dxdy;
        yStart = 0;
    }
    const int yEnd = std::min(height, static_cast<int>(std::ceil(p1.y)));
    for (int y = static_cast<int>(yStart); y < yEnd; ++y) {
        float* row = &cells[static_cast<size_t>(y) * static_cast<size_t>(stride)];
        const float dy = std::min(static_cast<float>(y + 1), p1.y) - std::max(static_cast<float>(y), yStart);
        const float xNext = x + dxdy * dy;
        const float d = dy * direction;
        const float x0 = std::min(x, xNext);
        const float x1 = std::max(x, xNext);
        const float x0Floor = std::floor(x0);
        const auto x0i = static_cast<int>(x0Floor);
        const float x1Ceil = std::ceil(x1);
        const auto x1i = static_cast<int>(x1Ceil);
        if (x1i <= x0i + 1) {
            const float xmf = 0.5f * (x + xNext) - x0Floor;
            row[x0i] += d - d * xmf;
            row[x0i + 1] += d * xmf;
        } else {
            const float s = 1.0f / (x1 - x0);
            const float x0f = x0 - x0Floor;
            const float a0 = 0.5f * s * (1 - x0f) * (1 - x0f);
            const float x1f = x1 - x1Ceil + 1;
            const float am = 0.5f * s * x1f * x1f;
            row[x0i] += d * a0;
            if (x1i == x0i + 2) {
                row[x0i + 1] += d * (1 - a0 - am);
            } else {
                const float a1 = s * (1.5f - x0f);
                row[x0i + 1] += d * (a1 - a0);
                for (int xi = x0i + 2; xi < x1i - 1; ++xi)
                    row[xi] += d * s;
                const float a2 = a1 + static_cast<float>(x1i - x0i - 3) * s;
                row[x1i - 1] += d * (1 - a2 - am);
            }
            row[x1i] += d * am;
        }
        x = xNext;
    }
}

// Splits the line where it crosses x = 0 and x = width and accumulates the pieces with x
// clamped into that range: a piece left of the region acts as a vertical edge on its left
// border, one right of it touches nothing inside.
void AccumulateClipped(std::vector<float>& cells, int width, int height, Vec2 p0, Vec2 p1)
{
    const float right = static_cast<float>(width);
    float cuts[4] = {0, 1, 1, 1};
    int count = 1;
    for (const float border : {0.0f, right}) {
        if ((p0.x - border) * (p1.x - border) < 0) {
            const float t = (border - p0.x) / (p1.x - p0.x);
            cuts[count++] = t;
        }
    }
    if (count == 3 && cuts[1] > cuts[2])
        std::swap(cuts[1], cuts[2]);
    cuts[count] = 1;
    for (int i = 0; i < count; ++i) {
        Vec2 a = Lerp(p0, p1, cuts[i]);
        Vec2 b = Lerp(p0, p1, cuts[i + 1]);
        a.x = std::clamp(a.x, 0.0f, right);
        b.x = std::clamp(b.x, 0.0f, right);
        AccumulateLine(cells, width + 2, height, a, b);
    }
}

}  // namespace

Mask::Mask(int width, int height)
    : m_width(std::max(0, width)),
      m_height(std::max(0, height)),
      m_values(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0.0f)
{
}

float Mask::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return 0;
    return Row(y)[x];
}

void Mask::CombineRegion(const std::vector<float>& region, int left, int top, int width, int height, Op op)
{
    // Outside the region the new coverage is 0, which only an intersection changes anything for.
    if (op == Op::kIntersect) {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (y < top || y >= top + height || x < left || x >= left + width)
                    Row(y)[x] = 0;
    }
    for (int y = 0; y < height; ++y) {
        float* row = Row(top + y) + left;
        const float* source = &region[static_cast<size_t>(y) * static_cast<size_t>(width)];
        for (int x = 0; x < width; ++x)
            row[x] = ApplyOp(op, row[x], source[x]);
    }
}

void Mask::FillPath(const Path& path, Op op)
{
    Vec2 low;
    Vec2 high;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    if (!path.Bounds(low, high) || !PixelBox(low, high, 1, m_width, m_height, left, top, right, bottom)) {
        if (op == Op::kIntersect)
            Clear();
        return;
    }
    const int width = right - left;
    const int height = bottom - top;
    const int stride = width + 2;
    std::vector<float> cells(static_cast<size_t>(stride) * static_cast<size_t>(height), 0.0f);
    const Vec2 origin(static_cast<float>(left), static_cast<float>(top));
    for (const std::vector<Vec2>& contour : path.Contours()) {
        for (size_t i = 0; i < contour.size() && contour.size() >= 3; ++i) {
            const Vec2 a = contour[i] - origin;
            const Vec2 b = contour[(i + 1) % contour.size()] - origin;
            AccumulateClipped(cells, width, height, a, b);
        }
    }
    std::vector<float> region(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        float sum = 0;
        const float* row = &cells[static_cast<size_t>(y) * static_cast<size_t>(stride)];
        for (int x = 0; x < width; ++x) {
            sum += row[x];
            region[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                std::min(1.0f, std::fabs(sum));
        }
    }
    CombineRegion(region, left, top, width, height, op);
}

void Mask::StrokePath(const Path& path, float width, Op op)
{
    Vec2 low;
    Vec2 high;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    // Below a pixel the stroke keeps a pixel's width and fades by the missing part.
    const float half = std::max(width * 0.5f, 0.5f);
    const float strength = std::min(1.0f, std::max(width, 0.0f));
    if (width <= 0 || !path.Bounds(low, high) ||
        !PixelBox(low, high, half + 1, m_width, m_height, left, top, right, bottom)) {
        if (op == Op::kIntersect)
            Clear();
        return;
    }
    const int regionWidth = right - left;
    const int regionHeight = bottom - top;
    std::vector<float> region(static_cast<size_t>(regionWidth) * static_cast<size_t>(regionHeight), 0.0f);
    auto stamp = [&](Vec2 a, Vec2 b) {
        int x0 = 0;
        int y0 = 0;
        int x1 = 0;
        int y1 = 0;
        const Vec2 segLow(std::min(a.x, b.x), std::min(a.y, b.y));
        const Vec2 segHigh(std::max(a.x, b.x), std::max(a.y, b.y));
        if (!PixelBox(segLow, segHigh, half + 1, m_width, m_height, x0, y0, x1, y1))
            return;
        const Vec2 axis = b - a;
        const float length2 = Dot(axis, axis);
        for (int y = y0; y < y1; ++y) {
            float* row = &region[static_cast<size_t>(y - top) * static_cast<size_t>(regionWidth)];
            for (int x = x0; x < x1; ++x) {
                const Vec2 p(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
                float t = length2 > 0 ? Dot(p - a, axis) / length2 : 0.0f;
                t = std::clamp(t, 0.0f, 1.0f);
                const float distance = (p - (a + axis * t)).Length() - half;
                const float coverage = std::clamp(0.5f - distance, 0.0f, 1.0f) * strength;
                float& cell = row[x - left];
                cell = std::max(cell, coverage);
            }
        }
    };
    for (const std::vector<Vec2>& contour : path.Contours()) {
        if (contour.size() == 1)
            stamp(contour[0], contour[0]);
        for (size_t i = 0; i + 1 < contour.size(); ++i)
            stamp(contour[i], contour[i + 1]);
    }
    CombineRegion(region, left, top, regionWidth, regionHeight, op);
}

void Mask::Combine(const Mask& other, Op op)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            Row(y)[x] = ApplyOp(op, Row(y)[x], other.At(x, y));
}

void Mask::Blur(float sigma)
{
    if (sigma <= 0 || m_values.empty())
        return;
    // Only the box around what is not empty can change: everything else stays 0.
    int left = m_width;
    int right = -1;
    int top = m_height;
    int bottom = -1;
    for (int y = 0; y < m_height; ++y) {
        const float* row = Row(y);
        for (int x = 0; x < m_width; ++x)
            if (row[x] != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    if (right < 0)
        return;
    const int reach = static_cast<int>(std::ceil(sigma * 3)) + 2;
    left = std::max(0, left - reach);
    right = std::min(m_width - 1, right + reach);
    top = std::max(0, top - reach);
    bottom = std::min(m_height - 1, bottom + reach);

    // Small blurs use the true Gaussian kernel; wide ones three box passes of matching variance
    // (running sums, so the cost does not grow with the radius).
    std::vector<int> boxes;
    std::vector<float> kernel;
    if (sigma > 2.5f) {
        const int n = 3;
        const float ideal = std::sqrt(12 * sigma * sigma / n + 1);
        int lower = static_cast<int>(std::floor(ideal));
        if (lower % 2 == 0)
            --lower;
        const float m = (12 * sigma * sigma - static_cast<float>(n * lower * lower + 4 * n * lower + 3 * n)) /
                        static_cast<float>(-4 * lower - 4);
        const int smaller = static_cast<int>(std::lround(m));
        for (int i = 0; i < n; ++i)
            boxes.push_back(((i < smaller ? lower : lower + 2) - 1) / 2);
    } else {
        const int radius = static_cast<int>(std::ceil(sigma * 3));
        kernel.resize(static_cast<size_t>(2 * radius + 1));
        float total = 0;
        for (int i = -radius; i <= radius; ++i) {
            const float w = std::exp(-0.5f * static_cast<float>(i * i) / (sigma * sigma));
            kernel[static_cast<size_t>(i + radius)] = w;
            total += w;
        }
        for (float& w : kernel)
            w /= total;
    }

    std::vector<float> line;
    std::vector<float> out;
    // Blurs `count` values spaced `stride` apart, starting at `first`.
    auto blurLine = [&](float* first, int count, size_t stride) {
        line.resize(static_cast<size_t>(count));
        out.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            line[static_cast<size_t>(i)] = first[static_cast<size_t>(i) * stride];
        if (kernel.empty()) {
            for (const int radius : boxes) {
                const float scale = 1.0f / static_cast<float>(2 * radius + 1);
                double sum = 0;
                for (int i = 0; i < std::min(radius, count); ++i)
                    sum += line[static_cast<size_t>(i)];
                for (int i = 0; i < count; ++i) {
                    if (i + radius < count)
                        sum += line[static_cast<size_t>(i + radius)];
                    if (i - radius - 1 >= 0)
                        sum -= line[static_cast<size_t>(i - radius - 1)];
                    out[static_cast<size_t>(i)] = static_cast<float>(sum) * scale;
                }
                line.swap(out);
            }
        } else {
            const int radius = static_cast<int>(kernel.size() / 2);
            for (int i = 0; i < count; ++i) {
                float sum = 0;
                const int from = std::max(0, i - radius);
                const int to = std::min(count - 1, i + radius);
                for (int j = from; j <= to; ++j)
                    sum += line[static_cast<size_t>(j)] * kernel[static_cast<size_t>(j - i + radius)];
                out[static_cast<size_t>(i)] = sum;
            }
            line.swap(out);
        }
        for (int i = 0; i < count; ++i)
            first[static_cast<size_t>(i) * stride] = std::max(0.0f, line[static_cast<size_t>(i)]);
    };
    for (int y = top; y <= bottom; ++y)
        blurLine(Row(y) + left, right - left + 1, 1);
    for (int x = left; x <= right; ++x)
        blurLine(Row(top) + x, bottom - top + 1, static_cast<size_t>(m_width));
}

Mask Mask::Shifted(int dx, int dy) const
{
    Mask out(m_width, m_height);
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            out.Row(y)[x] = At(x - dx, y - dy);
    return out;
}

void Mask::Apply(const std::function<float(int x, int y, float value)>& f)
{
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            Row(y)[x] = std::clamp(f(x, y, Row(y)[x]), 0.0f, 1.0f);
}

void Mask::Scale(float factor)
{
    for (float& v : m_values)
        v = std::clamp(v * factor, 0.0f, 1.0f);
}

}  // namespace zen::art
