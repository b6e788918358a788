#include "engine/scene/ScreenDepthPass.h"

#include <new>

#include "engine/core/Matrix4.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/GeometryNodeEffectPass.h"
#include "engine/scene/Vector3Buffer.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ScreenDepthPass, Pass, kStartupSceneClasses)

// Clip position from the shared matrices (c0-c3), the view depth (third column of world x view,
// c4-c7) times 1 / far (c8.x) as the texture coordinate, interpolated with perspective.
const char* const ScreenDepthPass::kVertexProgram =
    "vs_2_0\n"
    "dcl_position v0\n"
    "mul r0, v0.x, c0\n"
    "mad r0, v0.y, c1, r0\n"
    "mad r0, v0.z, c2, r0\n"
    "mad oPos, v0.w, c3, r0\n"
    "mul r1, v0.x, c4\n"
    "mad r1, v0.y, c5, r1\n"
    "mad r1, v0.z, c6, r1\n"
    "mad r1, v0.w, c7, r1\n"
    "mul oT0, r1.z, c8.x\n";

// d clamped to 0-1; red floor(d * 255) / 255, green frac(d * 255).
const char* const ScreenDepthPass::kPixelProgram =
    "ps_2_0\n"
    "def c0, 255, 0.00392156863, 0, 1\n"
    "dcl t0.x\n"
    "mov_sat r0.x, t0.x\n"
    "mul r0.x, r0.x, c0.x\n"
    "frc r1.x, r0.x\n"
    "sub r0.x, r0.x, r1.x\n"
    "mul r2.x, r0.x, c0.y\n"
    "mov r2.y, r1.x\n"
    "mov r2.zw, c0.zzzw\n"
    "mov oC0, r2\n";

ScreenDepthPass::ScreenDepthPass()
{
    m_vertexShader = new (std::nothrow) VertexShader(String("ScreenDepth.vertex"), String(kVertexProgram));
    m_pixelShader = new (std::nothrow) PixelShader(String("ScreenDepth.pixel"), String(kPixelProgram));
    if (RenderStateBlock* block = RenderStates()) {
        RenderState& state = block->Edit();
        state.depthEnable = true;
        state.depthWrite = true;
        state.cullEnable = false;  // Both sides: the nearest surface wins by the depth test.
        state.alphaBlendEnable = false;
    }
}

void ScreenDepthPass::CollectByType(const Rtti* type, Array<Object*>& out)
{
    Pass::CollectByType(type, out);
    if (m_vertexShader)
        m_vertexShader->CollectByType(type, out);
    if (m_pixelShader)
        m_pixelShader->CollectByType(type, out);
}

Result ScreenDepthPass::Apply(Renderer* renderer)
{
    if (!renderer)
        return kInvalidArgument;
    GeometryNode* node = renderer->CurrentGeometry();
    Vector3Buffer* positions = node ? node->Vertices() : nullptr;
    const Camera* camera = renderer->GetCamera();
    if (!positions || positions->GetCount() == 0 || !camera || !m_vertexShader || !m_pixelShader)
        return kFailure;
    VertexLayout layout;
    VertexElement element;  // Stream 0, float3 positions.
    (void)layout.Add(element);
    SetLayout(layout);
    renderer->SetStream(positions, 0);
    renderer->SetIndices(node->Indices());
    renderer->SetVertexShader(m_vertexShader.Get());
    renderer->SetPixelShader(m_pixelShader.Get());
    const Matrix4 worldView = node->WorldTransform().ToMatrix() * camera->View();
    const Matrix4 worldViewProjection = worldView * camera->Projection();
    renderer->SetVertexShaderConstants(GeometryNodeEffectPass::kWorldViewProjectionRegister,
                                       &worldViewProjection.m[0][0], 4);
    renderer->SetVertexShaderConstants(GeometryNodeEffectPass::kWorldViewRegister, &worldView.m[0][0], 4);
    const float far = camera->Far() > 0 ? camera->Far() : 1.0f;
    const float scale[4] = {1.0f / far, 0, 0, 0};
    renderer->SetVertexShaderConstants(GeometryNodeEffectPass::kEffectRegister, scale, 1);
    return kSuccess;
}

}  // namespace zen
