#pragma once
#include <vector>

#include "tools/art/Vec2.h"

namespace zen::art {

// Outlines as lists of points: curves and arcs are flattened into short straight pieces as they
// are added, fine enough that no piece strays more than a fortieth of a unit from the true curve.
// A Mask fills a path's contours as closed polygons (non-zero winding, so a contour running the
// other way cuts a hole) or strokes them as open polylines.
class Path {
public:
    // Building. MoveTo starts a contour; the other calls extend the current one (starting one
    // at the first point when there is none).
    Path& MoveTo(Vec2 p);
    Path& LineTo(Vec2 p);
    Path& QuadTo(Vec2 control, Vec2 p);
    Path& CubicTo(Vec2 control1, Vec2 control2, Vec2 p);
    // Points along an ellipse arc from `fromDegrees` to `toDegrees` (counter-clockwise on the
    // picture for increasing angles; see PointOnEllipse), joined to the current contour.
    Path& ArcTo(Vec2 centre, float rx, float ry, float fromDegrees, float toDegrees);
    // Ends the current contour; the next point starts a new one.
    Path& Close();
    // Appends every contour of `other`.
    Path& Append(const Path& other);

    // Whole shapes, each one closed contour (counter-clockwise on the picture).
    static Path Ellipse(Vec2 centre, float rx, float ry);
    static Path Circle(Vec2 centre, float radius) { return Ellipse(centre, radius, radius); }
    static Path Polygon(const std::vector<Vec2>& points);
    static Path Rectangle(float x, float y, float width, float height);

    // The same path scaled about the origin, then moved.
    Path Transformed(float scale, Vec2 offset) const;
    Path Transformed(Vec2 scale, Vec2 offset) const;
    // The same path with every contour reversed (a hole for FillPath when unioned).
    Path Reversed() const;

    const std::vector<std::vector<Vec2>>& Contours() const { return m_contours; }
    bool IsEmpty() const { return m_contours.empty(); }
    // Smallest box holding every point; false for an empty path.
    bool Bounds(Vec2& low, Vec2& high) const;

private:
    std::vector<Vec2>& Current();

    std::vector<std::vector<Vec2>> m_contours;
    bool m_open = false;  // The last contour still takes points.
};

}  // namespace zen::art
