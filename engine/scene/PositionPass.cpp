#include "engine/scene/PositionPass.h"

#include <new>

#include "engine/render/Renderer.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(PositionPass, Pass, kStartupSceneClasses)

PositionPass::PositionPass(VertexShader* vertexShader, PixelShader* pixelShader)
    : m_vertexShader(vertexShader), m_pixelShader(pixelShader)
{
}

void PositionPass::SetShaders(VertexShader* vertexShader, PixelShader* pixelShader)
{
    m_vertexShader = vertexShader;
    m_pixelShader = pixelShader;
}

Result PositionPass::Apply(Renderer* renderer)
{
    if (!renderer)
        return kInvalidArgument;
    GeometryNode* node = renderer->CurrentGeometry();
    Vector3Buffer* positions = node ? node->Vertices() : nullptr;
    if (!positions || positions->GetCount() == 0)
        return kFailure;
    VertexLayout layout;
    VertexElement element;  // Stream 0, float3 positions.
    (void)layout.Add(element);
    SetLayout(layout);
    renderer->SetStream(positions, 0);
    renderer->SetIndices(nullptr);
    renderer->SetVertexShader(m_vertexShader.Get());
    renderer->SetPixelShader(m_pixelShader.Get());
    return kSuccess;
}

Result PositionPass::Begin(Renderer& renderer, Triangles* geometry)
{
    if (!geometry)
        return kInvalidArgument;
    renderer.SetCurrentGeometry(geometry);
    renderer.SetCurrentPass(this);
    renderer.SetPass(this);
    return Apply(&renderer);
}

Ptr<Triangles> PositionPass::CreateGeometry(const char* name, const Vector3* positions, uint32_t count)
{
    Ptr<Triangles> triangles = new (std::nothrow) Triangles;
    Ptr<Vector3Buffer> buffer = new (std::nothrow) Vector3Buffer(count);
    if (!triangles || !buffer || buffer->GetCount() != count)
        return nullptr;
    for (uint32_t i = 0; i < count; ++i)
        buffer->Data()[i] = positions[i];
    buffer->SetDirty();
    triangles->SetName(String(name));
    triangles->SetVertices(buffer.Get());
    return triangles;
}

Ptr<Triangles> PositionPass::CreateScreenQuad(const char* name)
{
    static const Vector3 kQuad[6] = {{-1, -1, 0}, {1, 1, 0}, {1, -1, 0}, {-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}};
    return CreateGeometry(name, kQuad, 6);
}

}  // namespace zen
