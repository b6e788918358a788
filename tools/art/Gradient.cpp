#include "tools/art/Gradient.h"

#include <algorithm>
#include <utility>

namespace zen::art {

Gradient::Gradient(std::initializer_list<Stop> stops) : m_stops(stops)
{
    if (m_stops.empty())
        m_stops.push_back({0, Color()});
    std::stable_sort(m_stops.begin(), m_stops.end(), [](const Stop& a, const Stop& b) { return a.at < b.at; });
}

Color Gradient::Sample(float t) const
{
    if (t <= m_stops.front().at)
        return m_stops.front().color;
    for (size_t i = 1; i < m_stops.size(); ++i) {
        const Stop& high = m_stops[i];
        if (t <= high.at) {
            const Stop& low = m_stops[i - 1];
            const float span = high.at - low.at;
            return span > 0 ? Mix(low.color, high.color, (t - low.at) / span) : high.color;
        }
    }
    return m_stops.back().color;
}

Paint LinearPaint(Vec2 from, Vec2 to, Gradient gradient)
{
    const Vec2 axis = to - from;
    const float length2 = std::max(Dot(axis, axis), 1e-12f);
    return [from, axis, length2, g = std::move(gradient)](Vec2 p) { return g.Sample(Dot(p - from, axis) / length2); };
}

Paint RadialPaint(Vec2 centre, float radius, Gradient gradient, float verticalScale)
{
    const float inverse = 1.0f / std::max(radius, 1e-6f);
    const float inverseY = inverse / std::max(verticalScale, 1e-6f);
    return [centre, inverse, inverseY, g = std::move(gradient)](Vec2 p) {
        const float dx = (p.x - centre.x) * inverse;
        const float dy = (p.y - centre.y) * inverseY;
        return g.Sample(std::sqrt(dx * dx + dy * dy));
    };
}

Paint SolidPaint(Color color)
{
    return [color](Vec2) { return color; };
}

}  // namespace zen::art
