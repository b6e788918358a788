#pragma once
#include <functional>
#include <initializer_list>
#include <vector>

#include "tools/art/Color.h"
#include "tools/art/Vec2.h"

namespace zen::art {

// What fills a shape: the colour at a point of the picture (pixel centres, in pixels).
using Paint = std::function<Color(Vec2)>;

// Colour stops along 0..1, blended linearly between neighbours; before the first stop the first
// colour holds, after the last the last. Stops are sorted on construction.
class Gradient {
public:
    struct Stop {
        float at;
        Color color;
    };

    Gradient(std::initializer_list<Stop> stops);

    Color Sample(float t) const;

private:
    std::vector<Stop> m_stops;  // Sorted by `at`; at least one.
};

// A gradient along the line from `from` (t = 0) to `to` (t = 1), constant across it.
Paint LinearPaint(Vec2 from, Vec2 to, Gradient gradient);
// A gradient from `centre` (t = 0) out to `radius` (t = 1); ry scales the vertical radius.
Paint RadialPaint(Vec2 centre, float radius, Gradient gradient, float verticalScale = 1);
// One colour everywhere.
Paint SolidPaint(Color color);

}  // namespace zen::art
