#include "tools/model/Lathe.h"

#include <algorithm>
#include <cmath>

namespace zen::model {
namespace {

// Outward normal in the profile plane (radius, height) of the step from a to b.
Vector2 StepNormal(const Lathe::Point& a, const Lathe::Point& b)
{
    const float dr = b.radius - a.radius;
    const float dy = b.height - a.height;
    const float length = std::sqrt(dr * dr + dy * dy);
    if (!(length > 0))
        return {1, 0};
    return {dy / length, -dr / length};
}

struct Ring {
    float radius;
    float height;
    Vector2 normal;  // In the profile plane.
    float v;
};

}  // namespace

MeshBuilder Lathe::Turn(const std::vector<Point>& profile, int segments, float uTurns)
{
    MeshBuilder mesh;
    if (profile.size() < 2)
        return mesh;
    segments = std::max(segments, 3);

    // Profile length from the top, for v.
    const size_t count = profile.size();
    std::vector<float> fromTop(count, 0.0f);
    for (size_t i = count - 1; i-- > 0;) {
        const float dr = profile[i + 1].radius - profile[i].radius;
        const float dy = profile[i + 1].height - profile[i].height;
        fromTop[i] = fromTop[i + 1] + std::sqrt(dr * dr + dy * dy);
    }
    const float total = fromTop[0] > 0 ? fromTop[0] : 1.0f;

    // Rings from the bottom up; a crease (or an end) gives one ring per adjoining step.
    std::vector<Ring> rings;
    std::vector<int> stepOfRing;  // The step (i to i + 1) whose quads start at this ring, or -1.
    for (size_t i = 0; i < count; ++i) {
        const float v = fromTop[i] / total;
        const bool hasBelow = i > 0;
        const bool hasAbove = i + 1 < count;
        const Vector2 below = hasBelow ? StepNormal(profile[i - 1], profile[i]) : Vector2{};
        const Vector2 above = hasAbove ? StepNormal(profile[i], profile[i + 1]) : Vector2{};
        if (hasBelow && hasAbove && !profile[i].crease) {
            Vector3 sum{below.x + above.x, below.y + above.y, 0};
            sum = sum.Normalized();
            rings.push_back({profile[i].radius, profile[i].height, {sum.x, sum.y}, v});
            stepOfRing.push_back(static_cast<int>(i));
            continue;
        }
        if (hasBelow) {
            rings.push_back({profile[i].radius, profile[i].height, below, v});
            stepOfRing.push_back(-1);
        }
        if (hasAbove) {
            rings.push_back({profile[i].radius, profile[i].height, above, v});
            stepOfRing.push_back(static_cast<int>(i));
        }
    }

    const uint32_t columns = static_cast<uint32_t>(segments) + 1;  // The seam is doubled for u.
    std::vector<uint32_t> firstVertex;
    constexpr float kTwoPi = 6.28318530718f;
    for (const Ring& ring : rings) {
        firstVertex.push_back(mesh.VertexCount());
        for (uint32_t j = 0; j < columns; ++j) {
            const float turn = static_cast<float>(j) / static_cast<float>(segments);
            const float angle = turn * kTwoPi;
            const float c = std::cos(angle);
            const float s = std::sin(angle);
            mesh.AddVertex({ring.radius * c, ring.height, ring.radius * s}, {ring.normal.x * c, ring.normal.y, ring.normal.x * s},
                           {turn * uTurns, ring.v});
        }
    }
    // Each step joins the ring that starts it with the next ring of the step above.
    for (size_t r = 0; r + 1 < rings.size(); ++r) {
        if (stepOfRing[r] < 0)
            continue;
        const uint32_t low = firstVertex[r];
        const uint32_t high = firstVertex[r + 1];
        // A ring of radius 0 (a pole, the tip of a cone) makes each quad a single triangle.
        const bool highPole = rings[r + 1].radius == 0;
        const bool lowPole = rings[r].radius == 0;
        if (highPole && lowPole)
            continue;
        for (uint32_t j = 0; j < static_cast<uint32_t>(segments); ++j) {
            if (highPole)
                mesh.AddTriangle(high + j, low + j + 1, low + j);
            else if (lowPole)
                mesh.AddTriangle(high + j, high + j + 1, low + j);
            else
                mesh.AddQuad(high + j, high + j + 1, low + j + 1, low + j);
        }
    }
    return mesh;
}

}  // namespace zen::model
