#pragma once
#include <cstdint>

#include "engine/anim/Controller.h"
#include "engine/core/Array.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Link.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Node.h"
#include "engine/scene/SkinPalette.h"
#include "engine/scene/Transform.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

namespace zen {

class GeometryNode;
class Renderer;

// Deforms a mesh with a skeleton ("ZEN.SkinController"; owner a ZEN.Triangles node). It lists
// the bone nodes and, per vertex, up to four bone indices and weights. Each update turns the
// bones' world transforms into a palette of matrices (bind transform first, then the bone's
// world transform). While active it also skins on the processor: the bind-pose vertices (and
// normals, when both the bind normals and the mesh's normals are there) are blended through
// the palette into the mesh's buffers in world space, and the mesh's own transform becomes the
// identity. While inactive it only keeps the palette ready for the skinning vertex programs
// (WritePaletteConstants). Either way the mesh's world bound becomes the bones' sphere, 1.5
// times as wide, and is no longer recomputed by the node.
//
// Indices are floats truncated to integers. A binding that could read outside the bones (an
// index of a weighted slot outside 0..bones-1, a weight or index that is not finite, fewer
// weights or indices than bind vertices) or a missing bone makes the controller do nothing:
// Load refuses such data with a log line, and Update checks again before every deformation.
// Stream form after the controller block: bone count (uint32), the bone links, the bind
// transforms (40 bytes each), then the weights, indices, bind vertices, bind normals and bind
// tangents links.
class SkinController : public Controller, public SkinPalette {
    ZEN_DECLARE_CLASS

public:
    // The vertex-program palette: bone i's matrix occupies three registers from
    // kPaletteRegister + 3i, holding its first three columns (dp4 with the position gives x, y,
    // z); kPaletteInfoRegister holds (kPaletteRegister, 3, 1, 0).
    static constexpr uint32_t kPaletteRegister = 16;
    static constexpr uint32_t kPaletteInfoRegister = 208;
    static constexpr uint32_t kMaxShaderBones = (kPaletteInfoRegister - kPaletteRegister) / 3;  // 64

    SkinController();

    void Update(double elapsed) override;

    // Bones and bindings
    Result AddBone(Node* bone, const Transform& bindTransform);  // kInvalidArgument for null.
    uint32_t BoneCount() const { return m_bones.Count(); }
    Node* GetBone(uint32_t index) const { return index < m_bones.Count() ? m_bones[index].Get() : nullptr; }
    const Transform* BindTransform(uint32_t index) const;
    void SetWeights(Vector4Buffer* weights) { m_weights = weights; }
    void SetIndices(Vector4Buffer* indices) { m_indices = indices; }
    void SetBindVertices(Vector3Buffer* vertices) { m_bindVertices = vertices; }
    void SetBindNormals(Vector3Buffer* normals) { m_bindNormals = normals; }
    void SetBindTangents(Vector3Buffer* tangents) { m_bindTangents = tangents; }
    Vector4Buffer* Weights() const { return m_weights.Get(); }
    Vector4Buffer* Indices() const { return m_indices.Get(); }
    Vector3Buffer* BindVertices() const { return m_bindVertices.Get(); }
    Vector3Buffer* BindNormals() const { return m_bindNormals.Get(); }
    Vector3Buffer* BindTangents() const { return m_bindTangents.Get(); }

    // Results of the last update
    const Matrix4* Palette() const { return m_palette.Count() ? &m_palette[0] : nullptr; }  // BoneCount() entries.
    const Vector3Buffer* BonePositions() const { return m_bonePositions.Get(); }

    // The skin controller attached to `node`, for the skinning effects; null when none.
    static SkinController* Find(const Object* node);
    // Bone `index`'s three palette registers (12 floats: its matrix's columns 0, 1 and 2).
    void PaletteRegisters(uint32_t index, float out[12]) const;
    // Writes the palette (one call per bone) and its info register into the vertex-program
    // constants. kFailure with more bones than the programs hold.
    Result WritePaletteConstants(Renderer& renderer) const;

    // The skinning effects' view (SkinPalette; found on a node while the controller is inactive).
    Vector4Buffer* BlendWeights() const override { return m_weights.Get(); }
    Vector4Buffer* BlendIndices() const override { return m_indices.Get(); }
    Result WritePalette(Renderer& renderer, uint32_t firstRegister) const override;

    // True when the bindings can be read safely (see above). With `log`, the first problem
    // found is written to the log.
    bool CheckBindings(bool log) const;

    // Search: the controller, then its buffers (bones are nodes of the scene, found there).
    Object* FindByName(const String& name) override;
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    Result Save(Stream& stream) override;
    Result Load(Stream& stream) override;

private:
    void BuildPalette();
    // False (nothing written) when the mesh's vertices do not match the bind pose.
    bool DeformVertices(GeometryNode& mesh);
    void UpdateBound(Node& owner);

    Array<Link<Node>> m_bones;  // Links: the bones belong to the scene; a freed bone stops the skin.
    Array<Transform> m_bindTransforms;  // One per bone: bind pose to the bone's space.
    Array<Matrix4> m_palette;           // One per bone, rebuilt every update.
    Ptr<Vector3Buffer> m_bonePositions; // One per bone: world positions, for the bound.
    Ptr<Vector4Buffer> m_weights;
    Ptr<Vector4Buffer> m_indices;
    Ptr<Vector3Buffer> m_bindVertices;
    Ptr<Vector3Buffer> m_bindNormals;
    Ptr<Vector3Buffer> m_bindTangents;  // Kept and saved; not deformed.
};

}  // namespace zen
