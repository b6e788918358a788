#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/core/Vector2.h"
#include "engine/core/Vector3.h"
#include "engine/scene/Transform.h"
#include "engine/scene/Triangles.h"

namespace zen::model {

// A mesh being modelled: vertices with position, normal and one set of texture coordinates, and
// a triangle list. Triangles are given front face first in the order the device treats as front
// (clockwise seen from outside), which makes (p1 - p0) x (p2 - p0) point outwards, the way the
// engine's GenerateNormals reads them. Pieces built separately are merged with Append, and the
// result becomes an engine Triangles node with its buffers (Build).
class MeshBuilder {
public:
    struct Vertex {
        Vector3 position;
        Vector3 normal;
        Vector2 uv;
    };

    uint32_t VertexCount() const { return static_cast<uint32_t>(m_vertices.size()); }
    uint32_t TriangleCount() const { return static_cast<uint32_t>(m_indices.size() / 3); }
    const std::vector<Vertex>& Vertices() const { return m_vertices; }
    const std::vector<int32_t>& Indices() const { return m_indices; }
    bool Empty() const { return m_indices.empty(); }

    // The new vertex's index.
    uint32_t AddVertex(const Vector3& position, const Vector3& normal, const Vector2& uv);
    void AddTriangle(uint32_t a, uint32_t b, uint32_t c);
    // Corners a, b, c, d in front-face order around the quad (two triangles a b c, a c d).
    void AddQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    // Reverses every triangle and normal (a surface seen from the other side, e.g. a sky dome).
    void Flip();
    // Moves, turns and scales every vertex; normals are turned (and renormalised) with it.
    void Apply(const Transform& transform);
    // Adds another mesh's vertices and triangles, carried by `transform`.
    void Append(const MeshBuilder& other, const Transform& transform = Transform());
    // Texture coordinates multiplied per axis (repeat a texture over a large surface).
    void ScaleUV(float u, float v);
    // Normals recomputed from the triangles (area-weighted), for shapes whose vertices are shared
    // by faces that should shade smoothly.
    void SmoothNormals();

    // The mesh as an engine node named `name`: vertices, normals, texture coordinates in set 0,
    // indices; tangents too when asked (for normal-mapped effects). The bound is computed.
    // Null when the mesh is empty.
    Ptr<Triangles> Build(const char* name, bool tangents = false) const;

private:
    std::vector<Vertex> m_vertices;
    std::vector<int32_t> m_indices;
};

}  // namespace zen::model
