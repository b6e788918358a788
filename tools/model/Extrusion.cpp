#include "tools/model/Extrusion.h"

#include <cmath>

namespace zen::model {

MeshBuilder Extrusion::Extrude(const std::vector<Vector2>& outline, float depth, bool caps, float uvPerUnit)
{
    MeshBuilder mesh;
    const size_t n = outline.size();
    if (n < 3)
        return mesh;
    float run = 0;  // Distance along the outline, for u on the sides.
    for (size_t i = 0; i < n; ++i) {
        const Vector2 p = outline[i];
        const Vector2 q = outline[(i + 1) % n];
        const float dx = q.x - p.x;
        const float dy = q.y - p.y;
        const float length = std::sqrt(dx * dx + dy * dy);
        if (!(length > 0))
            continue;
        // Clockwise outline: the outside lies to the left of the direction of travel.
        const Vector3 normal{-dy / length, dx / length, 0};
        const float u0 = run * uvPerUnit;
        const float u1 = (run + length) * uvPerUnit;
        const float v1 = depth * uvPerUnit;
        const uint32_t a = mesh.AddVertex({p.x, p.y, depth}, normal, {u0, 0});
        const uint32_t b = mesh.AddVertex({q.x, q.y, depth}, normal, {u1, 0});
        const uint32_t c = mesh.AddVertex({q.x, q.y, 0}, normal, {u1, v1});
        const uint32_t d = mesh.AddVertex({p.x, p.y, 0}, normal, {u0, v1});
        mesh.AddQuad(a, b, c, d);
        run += length;
    }
    if (!caps)
        return mesh;
    float minX = outline[0].x, maxX = minX, minY = outline[0].y, maxY = minY;
    for (const Vector2& p : outline) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    auto capUV = [&](const Vector2& p, bool back) {
        const float u = (p.x - minX) * uvPerUnit;
        return Vector2{back ? (maxX - p.x) * uvPerUnit : u, (maxY - p.y) * uvPerUnit};
    };
    const uint32_t front = mesh.VertexCount();
    for (const Vector2& p : outline)
        mesh.AddVertex({p.x, p.y, 0}, {0, 0, -1}, capUV(p, false));
    for (uint32_t i = 1; i + 1 < n; ++i)
        mesh.AddTriangle(front, front + i, front + i + 1);
    const uint32_t back = mesh.VertexCount();
    for (const Vector2& p : outline)
        mesh.AddVertex({p.x, p.y, depth}, {0, 0, 1}, capUV(p, true));
    for (uint32_t i = 1; i + 1 < n; ++i)
        mesh.AddTriangle(back, back + i + 1, back + i);
    return mesh;
}

}  // namespace zen::model
