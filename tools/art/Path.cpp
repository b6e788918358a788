#include "tools/art/Path.h"

#include <algorithm>
#include <cmath>

namespace zen::art {
namespace {

constexpr float kTolerance = 0.025f;  // Largest distance of a flattened piece from the curve.

int PiecesForLength(float length)
{
    return std::clamp(static_cast<int>(std::ceil(std::sqrt(length / kTolerance))), 2, 512);
}

}  // namespace

std::vector<Vec2>& Path::Current()
{
    if (!m_open) {
        m_contours.emplace_back();
        m_open = true;
    }
    return m_contours.back();
}

Path& Path::MoveTo(Vec2 p)
{
    m_open = false;
    Current().push_back(p);
    return *this;
}

Path& Path::LineTo(Vec2 p)
{
    std::vector<Vec2>& contour = Current();
    if (contour.empty() || !(contour.back() == p))
        contour.push_back(p);
    return *this;
}

Path& Path::QuadTo(Vec2 control, Vec2 p)
{
    std::vector<Vec2>& contour = Current();
    const Vec2 start = contour.empty() ? control : contour.back();
    const int pieces = PiecesForLength((control - start).Length() + (p - control).Length());
    for (int i = 1; i <= pieces; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(pieces);
        LineTo(Lerp(Lerp(start, control, t), Lerp(control, p, t), t));
    }
    return *this;
}

Path& Path::CubicTo(Vec2 control1, Vec2 control2, Vec2 p)
{
    std::vector<Vec2>& contour = Current();
    const Vec2 start = contour.empty() ? control1 : contour.back();
    const int pieces =
        PiecesForLength((control1 - start).Length() + (control2 - control1).Length() + (p - control2).Length());
    for (int i = 1; i <= pieces; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(pieces);
        const Vec2 a = Lerp(start, control1, t);
        const Vec2 b = Lerp(control1, control2, t);
        const Vec2 c = Lerp(control2, p, t);
        LineTo(Lerp(Lerp(a, b, t), Lerp(b, c, t), t));
    }
    return *this;
}

Path& Path::ArcTo(Vec2 centre, float rx, float ry, float fromDegrees, float toDegrees)
{
    const float radius = std::max(std::max(std::fabs(rx), std::fabs(ry)), 1e-3f);
    const float sweep = std::fabs(toDegrees - fromDegrees) * 3.14159265f / 180.0f;
    // The angle step whose chord stays within the tolerance of the arc.
    const float step = 2.0f * std::acos(std::max(0.0f, 1.0f - kTolerance / radius));
    const int pieces = std::clamp(static_cast<int>(std::ceil(sweep / std::max(step, 1e-3f))), 1, 1024);
    for (int i = 0; i <= pieces; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(pieces);
        LineTo(PointOnEllipse(centre, rx, ry, fromDegrees + (toDegrees - fromDegrees) * t));
    }
    return *this;
}

Path& Path::Close()
{
    m_open = false;
    return *this;
}

Path& Path::Append(const Path& other)
{
    for (const std::vector<Vec2>& contour : other.m_contours)
        m_contours.push_back(contour);
    m_open = false;
    return *this;
}

Path Path::Ellipse(Vec2 centre, float rx, float ry)
{
    Path path;
    path.ArcTo(centre, rx, ry, 0, 360);
    path.Current().pop_back();  // The last point repeats the first.
    return path.Close();
}

Path Path::Polygon(const std::vector<Vec2>& points)
{
    Path path;
    for (const Vec2& p : points)
        path.LineTo(p);
    return path.Close();
}

Path Path::Rectangle(float x, float y, float width, float height)
{
    return Polygon({{x, y}, {x, y + height}, {x + width, y + height}, {x + width, y}});
}

Path Path::Transformed(float scale, Vec2 offset) const
{
    return Transformed(Vec2(scale, scale), offset);
}

Path Path::Transformed(Vec2 scale, Vec2 offset) const
{
    Path out = *this;
    for (std::vector<Vec2>& contour : out.m_contours)
        for (Vec2& p : contour)
            p = Vec2(p.x * scale.x + offset.x, p.y * scale.y + offset.y);
    out.m_open = false;
    return out;
}

Path Path::Reversed() const
{
    Path out = *this;
    for (std::vector<Vec2>& contour : out.m_contours)
        std::reverse(contour.begin(), contour.end());
    out.m_open = false;
    return out;
}

bool Path::Bounds(Vec2& low, Vec2& high) const
{
    bool any = false;
    for (const std::vector<Vec2>& contour : m_contours)
        for (const Vec2& p : contour) {
            if (!any) {
                low = high = p;
                any = true;
            }
            low = Vec2(std::min(low.x, p.x), std::min(low.y, p.y));
            high = Vec2(std::max(high.x, p.x), std::max(high.y, p.y));
        }
    return any;
}

}  // namespace zen::art
