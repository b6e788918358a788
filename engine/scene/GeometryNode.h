#pragma once
#include <cstdint>

#include "engine/core/Ptr.h"
#include "engine/scene/BoundingVolume.h"
#include "engine/scene/Buffer.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/GeometryNodeEffect.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Node.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen {

// A leaf that carries drawable geometry ("ZEN.GeometryNode", abstract): counted references to
// its vertex, point-size, colour, normal, tangent, eight texture-coordinate and index buffers,
// a model-space bound computed from the vertices, and the one effect that draws it. Without an
// effect the node is updated and culled but never drawn. The subclasses fix the primitive type.
//
// Drawing (reached through culling): an enabled, opaque effect draws the node at once, pass by
// pass; a blended one queues it on the renderer with its squared distance from the camera, and
// the flush draws it back to front (DrawDeferred). Each pass pops, after its draw, exactly the
// states it pushed on the renderer's state stack.
class GeometryNode : public Node {
    ZEN_DECLARE_CLASS

public:
    enum PrimitiveType : int32_t { kPoints = 0, kLines = 1, kStripLines = 2, kTriangles = 3 };
    static constexpr uint32_t kTexCoordSets = 8;

    ~GeometryNode() override;  // Also tells the effect it has no owner when it was this node.

    // Effect: null, or an object whose type derives from ZEN.GeometryNodeEffect
    // (kInvalidArgument otherwise, nothing changed). The effect's owner becomes this node.
    GeometryNodeEffect* GetEffect() const { return m_effect.Get(); }
    Result SetEffect(Object* effect);

    // Buffers. Each setter swaps the reference; none recomputes the bound (UpdateGeometry does).
    Vector3Buffer* Vertices() const { return m_vertices.Get(); }
    FloatBuffer* PointSizes() const { return m_pointSizes.Get(); }
    ColorBuffer* Colors() const { return m_colors.Get(); }
    Vector3Buffer* Normals() const { return m_normals.Get(); }
    Vector3Buffer* Tangents() const { return m_tangents.Get(); }
    Buffer* TexCoords(uint32_t set) const { return set < kTexCoordSets ? m_texCoords[set].Get() : nullptr; }
    IntBuffer* Indices() const { return m_indices.Get(); }
    void SetVertices(Vector3Buffer* buffer);
    void SetPointSizes(FloatBuffer* buffer);
    void SetColors(ColorBuffer* buffer);
    void SetNormals(Vector3Buffer* buffer);
    void SetTangents(Vector3Buffer* buffer);
    // A FloatBuffer, Vector2Buffer, Vector3Buffer or Vector4Buffer, or null; kInvalidArgument
    // for another kind or a set past 7.
    Result SetTexCoords(uint32_t set, Buffer* buffer);
    void SetIndices(IntBuffer* buffer);
    static bool IsTexCoordBuffer(const Buffer* buffer);

    BoundingVolume* LocalBound() const { return m_localBound.Get(); }

    // Geometry operations
    virtual int32_t GetPrimitiveType() const = 0;
    virtual void GenerateNormals();                  // Only triangles do anything.
    virtual void GenerateTangents(int32_t texCoordSet);  // Only triangles do anything.
    // The local bound from the vertices, when there are any.
    virtual void UpdateModelBound();
    // UpdateModelBound, then GenerateNormals and GenerateTangents(0) as asked.
    virtual void UpdateGeometry(bool normals, bool tangents);
    // Draws the node from the renderer's deferred queue (blended geometry, back to front).
    virtual void DrawDeferred(Renderer* renderer);
    // Primitives a draw makes of `count` indices (or vertices, without indices): one point
    // each, count / 2 lines, count - 1 strip segments, count / 3 triangles; 0 when too few.
    static uint32_t PrimitiveCount(int32_t primitiveType, uint32_t count);
    // PrimitiveCount of this node's indices, or of its vertices when it has no indices.
    uint32_t PrimitiveCount() const;

    // Node
    void Update(double time) override;      // Controllers, world transform, then the effect.
    void Draw(Renderer* renderer) override;  // Through the effect; nothing without one.
    void UpdateWorldBound() override;        // The local bound carried by the world transform.

    // Search: also the effect, every buffer and the local bound.
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    // Stream: effect, vertices, point sizes, colours, normals, tangents, eight texture
    // coordinate sets, indices (links), local-bound kind. Loading goes through the setters and
    // then computes the local bound from the vertices.
    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

protected:
    GeometryNode();
    // The draw call of one applied pass: the current geometry, indexed when it has indices.
    // Nodes that rebuild their own unindexed vertices every frame draw them their way.
    virtual void DrawPrimitives(Renderer* renderer);

private:
    // The effect's passes derive their vertex layout from the buffers present: after a buffer
    // changes, the chosen technique's passes are invalidated.
    void InvalidatePasses();
    // The pass loop of an immediate or deferred draw.
    void DrawPasses(Renderer* renderer);

    Ptr<GeometryNodeEffect> m_effect;  // None: invisible.
    Ptr<Vector3Buffer> m_vertices;
    Ptr<FloatBuffer> m_pointSizes;
    Ptr<ColorBuffer> m_colors;
    Ptr<Vector3Buffer> m_normals;
    Ptr<Vector3Buffer> m_tangents;
    Ptr<Buffer> m_texCoords[kTexCoordSets];
    Ptr<IntBuffer> m_indices;
    Ptr<BoundingVolume> m_localBound;  // Model space; null only when it could not be allocated.
};

}  // namespace zen
