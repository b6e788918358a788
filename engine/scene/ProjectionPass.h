#pragma once
#include <cstdint>
#include <vector>
#include "engine/core/Array.h"
#include "engine/core/Matrix4.h"
#include "engine/core/Ptr.h"
#include "engine/core/Vector4.h"
#include "engine/scene/BaseTexture.h"
#include "engine/scene/Pass.h"
#include "engine/scene/PixelShader.h"
#include "engine/scene/VertexShader.h"

namespace zen {

class GeometryNode;
class Node;

// A pass that draws a scene's own triangle geometry again through a program pair of its
// owner's ("ZEN.ProjectionPass"): the depth a light sees, the shadow test, a projected caustic.
// Only the positions (stream 0) and the node's indices are bound; everything else the programs
// derive from the position and the constants the caller writes: c0-c3 hold the clip matrix
// (x.c0 + y.c1 + z.c2 + w.c3, computed as the catalogue's programs compute it, so a second draw
// of the same surface lands on the same depths). Not streamed.
class ProjectionPass : public Pass {
    ZEN_DECLARE_CLASS

public:
    ProjectionPass() = default;
    ProjectionPass(VertexShader* vertexShader, PixelShader* pixelShader);

    // What Apply binds besides the geometry: a texture at stage 0 and the pixel constant c0.
    void SetStageTexture(BaseTexture* texture) { m_texture = texture; }
    void SetPixelConstant(const Vector4& value) { m_pixelConstant = value; }

    // kFailure without a current geometry holding positions.
    Result Apply(Renderer* renderer) override;
    // Also the two shaders (so the programs are found without a device).
    void CollectByType(const Rtti* type, Array<Object*>& out) override;

    // Makes `node` the current geometry and this the current pass, binds it, writes c0-c3 as
    // (world x `view`) x `projection`, composed in the order the catalogue's passes compose it,
    // and c4-c7 as world x `second` when given, then draws all of the node's triangles.
    // kSuccess when drawn.
    Result Draw(Renderer& renderer, GeometryNode& node, const Matrix4& view, const Matrix4& projection,
                const Matrix4* second = nullptr);

    // Appends the triangle geometry below `root` (itself included) that the ordinary draw shows
    // opaque: an enabled effect that does not blend. Each node once, in tree order; the walk
    // stops at `limit` nodes (shared subtrees would otherwise be listed once per holder).
    // `pending` is the walk's own list, kept by the caller so a frame's walk reuses its room.
    static void CollectOpaque(Node* root, std::vector<GeometryNode*>& out, std::vector<Node*>& pending,
                              uint32_t limit = 65536);

    // A pass of `vertexProgram` and `pixelProgram` named `name`; null when out of memory.
    static Ptr<ProjectionPass> Make(const char* name, const char* vertexProgram, const char* pixelProgram);

private:
    Ptr<VertexShader> m_vertexShader;
    Ptr<PixelShader> m_pixelShader;
    Ptr<BaseTexture> m_texture;
    Vector4 m_pixelConstant{1, 1, 1, 1};
};

}  // namespace zen
