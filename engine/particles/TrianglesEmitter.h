#pragma once
#include <cstdint>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/particles/PointEmitter.h"

namespace zen {

class IntBuffer;
class Triangles;
class Vector3Buffer;

// Emits from the surface of a triangle mesh ("ZEN.TrianglesEmitter"): a triangle chosen with a
// probability proportional to its area, then a point uniform over it, both carried into the
// world by the mesh's world transform; the flight direction is the point emitter's local
// direction turned by the same transform. The triangles are the mesh's index triples (its
// vertices taken three at a time when it has no indices); a triple naming a vertex that does
// not exist counts as no area. Without a mesh, or with a mesh without area, Emit refuses and
// the system emits nothing (loading says so once in the log).
//
// The area table is built on the first Emit and again whenever the mesh, its buffers or their
// sizes change; a caller that rewrites vertices in place calls Refresh.
// Stream form: the point emitter's, then the mesh (link to a ZEN.Triangles).
class TrianglesEmitter : public PointEmitter {
    ZEN_DECLARE_CLASS

public:
    TrianglesEmitter();
    ~TrianglesEmitter() override;

    bool Emit(Vector3& position, Vector3& direction) override;

    Triangles* GetTriangles() const;
    void SetTriangles(Triangles* triangles);
    void Refresh() { m_tableVertices = nullptr; m_tableIndices = nullptr; m_tableBuilt = false; }
    // The number of triangles with area in the current table (builds it when due).
    uint32_t UsableTriangleCount();

    // Search continues into the mesh.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    void VisitReferences(ReferenceVisitor& visitor) override;  // The triangles node.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    // Rebuilds the area table when the mesh's buffers differ from the ones it was built from.
    void UpdateTable();
    // The three vertex numbers of triangle `t`; false when one is outside the vertices.
    bool Corners(uint32_t t, uint32_t corners[3]) const;

    Ptr<Triangles> m_triangles;
    // Area table: m_cumulative[i] is the summed area of usable triangles 0..i, m_triangleOf[i]
    // the triangle number of entry i.
    std::vector<double> m_cumulative;
    std::vector<uint32_t> m_triangleOf;
    const Vector3Buffer* m_tableVertices = nullptr;  // What the table was built from; compared only.
    const IntBuffer* m_tableIndices = nullptr;
    uint32_t m_tableVertexCount = 0;
    uint32_t m_tableIndexCount = 0;
    bool m_tableBuilt = false;
};

}  // namespace zen
