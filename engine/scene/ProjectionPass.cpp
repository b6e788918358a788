#include "engine/scene/ProjectionPass.h"

#include <algorithm>
#include <new>
#include <vector>

#include "engine/render/Renderer.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ProjectionPass, Pass, kStartupSceneClasses)

ProjectionPass::ProjectionPass(VertexShader* vertexShader, PixelShader* pixelShader)
    : m_vertexShader(vertexShader), m_pixelShader(pixelShader)
{
}

Result ProjectionPass::Apply(Renderer* renderer)
{
    if (!renderer)
        return kInvalidArgument;
    GeometryNode* node = renderer->CurrentGeometry();
    Vector3Buffer* positions = node ? node->Vertices() : nullptr;
    if (!positions || positions->GetCount() == 0)
        return kFailure;
    VertexLayout layout;
    (void)layout.Add(VertexElement{});  // Stream 0, float3 positions.
    SetLayout(layout);
    renderer->SetStream(positions, 0);
    renderer->SetIndices(node->Indices());
    renderer->SetVertexShader(m_vertexShader.Get());
    renderer->SetPixelShader(m_pixelShader.Get());
    if (m_texture)
        renderer->SetTexture(0, m_texture.Get());
    renderer->SetPixelShaderConstants(0, &m_pixelConstant.x, 1);
    return kSuccess;
}

void ProjectionPass::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Pass::CollectByType(type, out);
    if (m_vertexShader)
        m_vertexShader->CollectByType(type, out);
    if (m_pixelShader)
        m_pixelShader->CollectByType(type, out);
}

Result ProjectionPass::Draw(Renderer& renderer, GeometryNode& node, const Matrix4& view, const Matrix4& projection,
                            const Matrix4* second)
{
    renderer.SetCurrentGeometry(&node);
    renderer.SetCurrentPass(this);
    renderer.SetPass(this);
    const Result applied = Apply(&renderer);
    if (applied != kSuccess)
        return applied;
    const uint32_t primitives = node.PrimitiveCount();
    if (primitives == 0)
        return kFailure;
    const Matrix4 world = node.WorldTransform().ToMatrix();
    const Matrix4 full = (world * view) * projection;
    renderer.SetVertexShaderConstants(0, &full.m[0][0], 4);
    if (second) {
        const Matrix4 other = world * *second;
        renderer.SetVertexShaderConstants(4, &other.m[0][0], 4);
    }
    if (node.Indices())
        renderer.DrawCurrentGeometry();
    else
        renderer.DrawNonIndexed(primitives);
    return kSuccess;
}

void ProjectionPass::CollectOpaque(Node* root, std::vector<GeometryNode*>& out, std::vector<Node*>& pending,
                                   uint32_t limit)
{
    pending.clear();
    if (!root)
        return;
    pending.push_back(root);
    uint32_t visited = 0;
    while (!pending.empty() && visited < limit) {
        Node* node = pending.back();
        pending.pop_back();
        ++visited;
        if (node->IsDerivedFrom(&GeometryNode::TYPE)) {
            auto* geometry = static_cast<GeometryNode*>(node);
            const GeometryNodeEffect* effect = geometry->GetEffect();
            if (geometry->GetPrimitiveType() == GeometryNode::kTriangles && effect && effect->IsEnabled() &&
                !effect->IsBlended() && std::find(out.begin(), out.end(), geometry) == out.end())
                out.push_back(geometry);
        } else if (node->IsDerivedFrom(&SceneNode::TYPE)) {
            auto* scene = static_cast<SceneNode*>(node);
            for (uint32_t i = scene->ChildCount(); i-- > 0;)  // Reversed: popped in index order.
                if (Node* child = scene->GetChild(i))
                    pending.push_back(child);
        }
    }
}

Ptr<ProjectionPass> ProjectionPass::Make(const char* name, const char* vertexProgram, const char* pixelProgram)
{
    Ptr<VertexShader> vertexShader = new (std::nothrow) VertexShader(String(name), String(vertexProgram));
    Ptr<PixelShader> pixelShader = new (std::nothrow) PixelShader(String(name), String(pixelProgram));
    if (!vertexShader || !pixelShader)
        return nullptr;
    Ptr<ProjectionPass> pass = new (std::nothrow) ProjectionPass(vertexShader.Get(), pixelShader.Get());
    return pass && pass->RenderStates() ? pass : nullptr;
}

}  // namespace zen
