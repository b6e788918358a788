#include "tools/model/Primitives.h"

#include <algorithm>
#include <cmath>

#include "tools/model/HeightField.h"
#include "tools/model/Lathe.h"

namespace zen::model {

MeshBuilder Primitives::Box(const Vector3& size, float uvPerUnit)
{
    MeshBuilder mesh;
    const Vector3 h = size * 0.5f;
    struct Face {
        Vector3 normal, right, up;  // Seen from outside: right and up across the face.
        float width, height;
    };
    const Face faces[6] = {
        {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}, size.x, size.y},   // Front, facing -z.
        {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}, size.x, size.y},   // Back.
        {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}, size.z, size.y},  // Left.
        {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}, size.z, size.y},    // Right.
        {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}, size.x, size.z},    // Top.
        {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}, size.x, size.z},  // Bottom.
    };
    for (const Face& f : faces) {
        const Vector3 centre = f.normal.Scaled(h);
        const Vector3 r = f.right * (0.5f * f.width);
        const Vector3 u = f.up * (0.5f * f.height);
        const float uMax = uvPerUnit > 0 ? f.width * uvPerUnit : 1.0f;
        const float vMax = uvPerUnit > 0 ? f.height * uvPerUnit : 1.0f;
        const uint32_t a = mesh.AddVertex(centre - r + u, f.normal, {0, 0});
        const uint32_t b = mesh.AddVertex(centre + r + u, f.normal, {uMax, 0});
        const uint32_t c = mesh.AddVertex(centre + r - u, f.normal, {uMax, vMax});
        const uint32_t d = mesh.AddVertex(centre - r - u, f.normal, {0, vMax});
        mesh.AddQuad(a, b, c, d);
    }
    return mesh;
}

MeshBuilder Primitives::Sphere(float radius, int segments, int rings)
{
    rings = std::max(rings, 2);
    std::vector<Lathe::Point> profile;
    constexpr float kPi = 3.14159265359f;
    for (int i = 0; i <= rings; ++i) {
        const float angle = -0.5f * kPi + kPi * static_cast<float>(i) / static_cast<float>(rings);
        profile.push_back({radius * std::cos(angle), radius * std::sin(angle), false});
    }
    profile.front().radius = 0;
    profile.back().radius = 0;
    MeshBuilder mesh = Lathe::Turn(profile, segments);
    // The profile's own normals bend at the poles; a sphere's are its positions.
    mesh.SmoothNormals();
    MeshBuilder exact;
    for (const MeshBuilder::Vertex& v : mesh.Vertices())
        exact.AddVertex(v.position, v.position, v.uv);
    for (size_t i = 0; i + 2 < mesh.Indices().size(); i += 3)
        exact.AddTriangle(static_cast<uint32_t>(mesh.Indices()[i]), static_cast<uint32_t>(mesh.Indices()[i + 1]),
                          static_cast<uint32_t>(mesh.Indices()[i + 2]));
    return exact;
}

MeshBuilder Primitives::Cylinder(float radius, float height, int segments, float uTurns)
{
    return Lathe::Turn({{radius, 0, false}, {radius, height, false}}, segments, uTurns);
}

MeshBuilder Primitives::Disc(float radius, int segments, bool down)
{
    MeshBuilder mesh;
    segments = std::max(segments, 3);
    const Vector3 normal{0, down ? -1.0f : 1.0f, 0};
    const uint32_t centre = mesh.AddVertex({0, 0, 0}, normal, {0.5f, 0.5f});
    constexpr float kTwoPi = 6.28318530718f;
    for (int j = 0; j < segments; ++j) {
        const float angle = kTwoPi * static_cast<float>(j) / static_cast<float>(segments);
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        mesh.AddVertex({radius * c, 0, radius * s}, normal, {0.5f + 0.5f * c, 0.5f - 0.5f * s});
    }
    for (uint32_t j = 0; j < static_cast<uint32_t>(segments); ++j) {
        const uint32_t a = centre + 1 + j;
        const uint32_t b = centre + 1 + (j + 1) % static_cast<uint32_t>(segments);
        // Angles grow from +x towards +z: seen from above that is anticlockwise, so the
        // upward face lists the later rim vertex first.
        if (down)
            mesh.AddTriangle(centre, a, b);
        else
            mesh.AddTriangle(centre, b, a);
    }
    return mesh;
}

MeshBuilder Primitives::Plane(float sizeX, float sizeZ, int cellsX, int cellsZ, float uvPerUnit)
{
    return HeightField::Build({-0.5f * sizeX, -0.5f * sizeZ, 0.5f * sizeX, 0.5f * sizeZ, cellsX, cellsZ},
                              [](float, float) { return 0.0f; }, uvPerUnit);
}

MeshBuilder Primitives::Quad(float width, float height)
{
    MeshBuilder mesh;
    const Vector3 n{0, 0, -1};
    const float w = 0.5f * width;
    const uint32_t a = mesh.AddVertex({-w, height, 0}, n, {0, 0});
    const uint32_t b = mesh.AddVertex({w, height, 0}, n, {1, 0});
    const uint32_t c = mesh.AddVertex({w, 0, 0}, n, {1, 1});
    const uint32_t d = mesh.AddVertex({-w, 0, 0}, n, {0, 1});
    mesh.AddQuad(a, b, c, d);
    return mesh;
}

}  // namespace zen::model
