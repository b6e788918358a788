#include "engine/particles/TrianglesEmitter.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Random.h"
#include "engine/core/Stream.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TrianglesEmitter, PointEmitter, kStartupOtherClasses)

TrianglesEmitter::TrianglesEmitter() = default;
TrianglesEmitter::~TrianglesEmitter() = default;

Triangles* TrianglesEmitter::GetTriangles() const
{
    return m_triangles.Get();
}

void TrianglesEmitter::SetTriangles(Triangles* triangles)
{
    m_triangles = triangles;
    Refresh();
}

bool TrianglesEmitter::Corners(uint32_t t, uint32_t corners[3]) const
{
    const Vector3Buffer* vertices = m_triangles->Vertices();
    const IntBuffer* indices = m_triangles->Indices();
    const uint32_t vertexCount = vertices->GetCount();
    for (uint32_t k = 0; k < 3; ++k) {
        const uint64_t slot = uint64_t{t} * 3 + k;
        int64_t vertex = static_cast<int64_t>(slot);
        if (indices)
            vertex = slot < indices->GetCount() ? indices->Data()[slot] : -1;
        if (vertex < 0 || vertex >= vertexCount)
            return false;
        corners[k] = static_cast<uint32_t>(vertex);
    }
    return true;
}

void TrianglesEmitter::UpdateTable()
{
    const Vector3Buffer* vertices = m_triangles ? m_triangles->Vertices() : nullptr;
    const IntBuffer* indices = m_triangles ? m_triangles->Indices() : nullptr;
    const uint32_t vertexCount = vertices ? vertices->GetCount() : 0;
    const uint32_t indexCount = indices ? indices->GetCount() : 0;
    if (m_tableBuilt && vertices == m_tableVertices && indices == m_tableIndices && vertexCount == m_tableVertexCount &&
        indexCount == m_tableIndexCount)
        return;
    m_tableBuilt = true;
    m_tableVertices = vertices;
    m_tableIndices = indices;
    m_tableVertexCount = vertexCount;
    m_tableIndexCount = indexCount;
    m_cumulative.clear();
    m_triangleOf.clear();
    if (!vertices || vertexCount == 0 || !vertices->Data())
        return;
    const uint32_t triangleCount = (indices ? indexCount : vertexCount) / 3;
    const Vector3* points = vertices->Data();
    double total = 0;
    for (uint32_t t = 0; t < triangleCount; ++t) {
        uint32_t c[3];
        if (!Corners(t, c))
            continue;
        const Vector3 cross = (points[c[1]] - points[c[0]]).Cross(points[c[2]] - points[c[0]]);
        const double area = 0.5 * std::sqrt(static_cast<double>(cross.LengthSquared()));
        if (!(area > 0) || !std::isfinite(area))
            continue;
        total += area;
        // Out of memory: no table, so the emitter refuses instead of failing later.
        try {
            m_cumulative.push_back(total);
            m_triangleOf.push_back(t);
        } catch (const std::bad_alloc&) {
            m_cumulative.clear();
            m_triangleOf.clear();
            Error("Недостаточно памяти для таблицы площадей эмиттера. Имя[%s] ID[%d]", Name().CStr(), ID());
            return;
        }
    }
}

uint32_t TrianglesEmitter::UsableTriangleCount()
{
    UpdateTable();
    return static_cast<uint32_t>(m_cumulative.size());
}

bool TrianglesEmitter::Emit(Vector3& position, Vector3& direction)
{
    UpdateTable();
    if (m_cumulative.empty())
        return false;
    const Vector3 local = DrawLocalDirection();
    // Thirty bits from two draws choose the triangle, so meshes of many thousand triangles are
    // still weighted finely.
    const double pick = static_cast<double>(Random::Next()) * 32768.0 + Random::Next();
    const double target = pick / (32768.0 * 32768.0 - 1.0) * m_cumulative.back();
    const size_t entry = std::min<size_t>(
        std::upper_bound(m_cumulative.begin(), m_cumulative.end(), target) - m_cumulative.begin(),
        m_cumulative.size() - 1);
    uint32_t c[3];
    (void)Corners(m_triangleOf[entry], c);
    const Vector3* points = m_triangles->Vertices()->Data();
    // Uniform over the triangle: a point of the parallelogram folded back into the triangle.
    float a = Random::Unit(), b = Random::Unit();
    if (a + b > 1.0f) {
        a = 1.0f - a;
        b = 1.0f - b;
    }
    const Vector3 point = points[c[0]] + (points[c[1]] - points[c[0]]) * a + (points[c[2]] - points[c[0]]) * b;
    const Transform& world = m_triangles->WorldTransform();
    position = world.ApplyToPoint(point);
    direction = world.ApplyToVector(local).Normalized();
    return true;
}

Object* TrianglesEmitter::FindByName(const String& name)
{
    if (Object* found = PointEmitter::FindByName(name))
        return found;
    return m_triangles ? m_triangles->FindByName(name) : nullptr;
}

void TrianglesEmitter::CollectByType(const Rtti* type, Array<Object*>& out)
{
    PointEmitter::CollectByType(type, out);
    if (m_triangles)
        m_triangles->CollectByType(type, out);
}

Result TrianglesEmitter::Save(Stream& stream)
{
    if (PointEmitter::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_triangles.Get()) != kSuccess) {
        Error("Невозможно сохранить геометрию эмиттера. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result TrianglesEmitter::Load(Stream& stream)
{
    if (PointEmitter::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Triangles> triangles;
    if (stream.ReadObject(triangles) != kSuccess) {
        Error("Невозможно загрузить геометрию эмиттера. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    SetTriangles(triangles.Get());
    if (!triangles)
        Warning("Эмиттер без геометрии: частицы не испускаются. ID[%d] Имя[%s]", ID(), Name().CStr());
    return kSuccess;
}

void TrianglesEmitter::VisitReferences(ReferenceVisitor& visitor)
{
    PointEmitter::VisitReferences(visitor);
    visitor(m_triangles);
}

}  // namespace zen
