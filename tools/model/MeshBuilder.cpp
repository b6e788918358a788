#include "tools/model/MeshBuilder.h"

#include "engine/core/String.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen::model {

uint32_t MeshBuilder::AddVertex(const Vector3& position, const Vector3& normal, const Vector2& uv)
{
    m_vertices.push_back({position, normal.Normalized(), uv});
    return static_cast<uint32_t>(m_vertices.size() - 1);
}

void MeshBuilder::AddTriangle(uint32_t a, uint32_t b, uint32_t c)
{
    m_indices.push_back(static_cast<int32_t>(a));
    m_indices.push_back(static_cast<int32_t>(b));
    m_indices.push_back(static_cast<int32_t>(c));
}

void MeshBuilder::AddQuad(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    AddTriangle(a, b, c);
    AddTriangle(a, c, d);
}

void MeshBuilder::Flip()
{
    for (size_t i = 0; i + 2 < m_indices.size(); i += 3)
        std::swap(m_indices[i + 1], m_indices[i + 2]);
    for (Vertex& vertex : m_vertices)
        vertex.normal = -vertex.normal;
}

void MeshBuilder::Apply(const Transform& transform)
{
    // A mirroring scale (an odd number of negative factors) turns the winding inside out.
    const Vector3 scale = transform.scale;
    const bool mirrors = ((scale.x < 0) != (scale.y < 0)) != (scale.z < 0);
    for (Vertex& vertex : m_vertices) {
        vertex.position = transform.ApplyToPoint(vertex.position);
        // Normals transform by the inverse scale so that they stay perpendicular to the surface.
        const Vector3 n{vertex.normal.x / (scale.x == 0 ? 1 : scale.x), vertex.normal.y / (scale.y == 0 ? 1 : scale.y),
                        vertex.normal.z / (scale.z == 0 ? 1 : scale.z)};
        Transform turn;
        turn.SetRotation(transform.rotation);
        vertex.normal = (transform.noRotation ? n : turn.ApplyToVector(n)).Normalized();
    }
    if (mirrors)
        for (size_t i = 0; i + 2 < m_indices.size(); i += 3)
            std::swap(m_indices[i + 1], m_indices[i + 2]);
}

void MeshBuilder::Append(const MeshBuilder& other, const Transform& transform)
{
    MeshBuilder moved = other;
    moved.Apply(transform);
    const int32_t base = static_cast<int32_t>(m_vertices.size());
    m_vertices.insert(m_vertices.end(), moved.m_vertices.begin(), moved.m_vertices.end());
    for (int32_t index : moved.m_indices)
        m_indices.push_back(base + index);
}

void MeshBuilder::ScaleUV(float u, float v)
{
    for (Vertex& vertex : m_vertices)
        vertex.uv = Vector2{vertex.uv.x * u, vertex.uv.y * v};
}

void MeshBuilder::SmoothNormals()
{
    std::vector<Vector3> sums(m_vertices.size(), Vector3{0, 0, 0});
    for (size_t i = 0; i + 2 < m_indices.size(); i += 3) {
        const Vector3& p0 = m_vertices[static_cast<size_t>(m_indices[i])].position;
        const Vector3& p1 = m_vertices[static_cast<size_t>(m_indices[i + 1])].position;
        const Vector3& p2 = m_vertices[static_cast<size_t>(m_indices[i + 2])].position;
        const Vector3 face = (p1 - p0).Cross(p2 - p0);
        for (size_t k = 0; k < 3; ++k)
            sums[static_cast<size_t>(m_indices[i + k])] += face;
    }
    for (size_t v = 0; v < m_vertices.size(); ++v)
        m_vertices[v].normal = sums[v].Normalized();
}

Ptr<Triangles> MeshBuilder::Build(const char* name, bool tangents) const
{
    if (m_indices.empty())
        return nullptr;
    const uint32_t count = VertexCount();
    Ptr<Vector3Buffer> positions = new Vector3Buffer(count);
    Ptr<Vector3Buffer> normals = new Vector3Buffer(count);
    Ptr<Vector2Buffer> uvs = new Vector2Buffer(count);
    for (uint32_t i = 0; i < count; ++i) {
        positions->Data()[i] = m_vertices[i].position;
        normals->Data()[i] = m_vertices[i].normal;
        uvs->Data()[i] = m_vertices[i].uv;
    }
    Ptr<IntBuffer> indices = new IntBuffer(static_cast<uint32_t>(m_indices.size()));
    for (size_t i = 0; i < m_indices.size(); ++i)
        indices->Data()[i] = m_indices[i];

    Ptr<Triangles> mesh = new Triangles();
    mesh->SetName(String(name));
    mesh->SetVertices(positions.Get());
    mesh->SetNormals(normals.Get());
    (void)mesh->SetTexCoords(0, uvs.Get());
    mesh->SetIndices(indices.Get());
    mesh->UpdateGeometry(false, tangents);
    return mesh;
}

}  // namespace zen::model
