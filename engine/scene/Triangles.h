#pragma once
#include "engine/scene/GeometryNode.h"

namespace zen {

// Geometry drawn as a triangle list, one triangle per three indices ("ZEN.Triangles"): the
// meshes of a scene. It derives per-vertex normals and tangents from its buffers.
class Triangles : public GeometryNode {
    ZEN_DECLARE_CLASS

public:
    Triangles() = default;
    int32_t GetPrimitiveType() const override { return kTriangles; }

    // New normals (replacing the old buffer): each triangle adds its unnormalised face normal
    // (p1 - p0) x (p2 - p0) to its three vertices, so larger faces weigh more; then each sum is
    // normalised, or (0, 0, 0) when shorter than sqrt(1.1920929e-07). Needs indices and
    // vertices. Triangles with an index outside the vertices are skipped.
    void GenerateNormals() override;
    // New tangents from texture coordinate set `texCoordSet` (its u and v; a FloatBuffer set has
    // no v and is ignored): per triangle and axis the position change along u, summed per vertex
    // and normalised as the normals. A triangle whose texture coordinates have no area (the
    // u-v determinant is 0) or that gives a value that is not finite adds nothing, so every
    // tangent is finite: a vertex with no usable triangle gets (0, 0, 0).
    void GenerateTangents(int32_t texCoordSet) override;
};

}  // namespace zen
