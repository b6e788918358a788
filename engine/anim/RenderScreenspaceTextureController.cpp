#include "engine/anim/RenderScreenspaceTextureController.h"

#include <cmath>

#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Texture.h"

namespace zen {

namespace {

float Sign(float value)
{
    return value > 0 ? 1.0f : (value < 0 ? -1.0f : 0.0f);
}

}  // namespace

float RenderScreenspaceTextureController::WaterHeight() const
{
    return m_plane ? m_plane->WorldTransform().translation.y : 0.0f;
}

Vector4 RenderScreenspaceTextureController::ClipPlane(float height)
{
    return Vector4{0, -1, 0, height + kClipSlack};
}

Matrix4 RenderScreenspaceTextureController::ObliqueProjection(const Matrix4& view, const Matrix4& projection,
                                                              const Vector4& worldPlane)
{
    // Row vectors: a world point p reaches view space as p * view, so the plane (a column)
    // reaches it as inverse(view) * plane.
    Matrix4 inverseView, inverseProjection;
    if (!view.Inverse(inverseView) || !projection.Inverse(inverseProjection))
        return projection;
    const float w[4] = {worldPlane.x, worldPlane.y, worldPlane.z, worldPlane.w};
    float c[4];
    for (int i = 0; i < 4; ++i)
        c[i] = inverseView.m[i][0] * w[0] + inverseView.m[i][1] * w[1] + inverseView.m[i][2] * w[2] +
               inverseView.m[i][3] * w[3];
    // The eye (view-space origin) must lie on the discarded side, as it does for a near plane.
    if (c[3] >= 0)
        return projection;
    // The clip-space corner opposite the plane, carried back into view space.
    const float corner[4] = {Sign(c[0]), Sign(c[1]), 1, 1};
    float q[4];
    for (int j = 0; j < 4; ++j)
        q[j] = corner[0] * inverseProjection.m[0][j] + corner[1] * inverseProjection.m[1][j] +
               corner[2] * inverseProjection.m[2][j] + corner[3] * inverseProjection.m[3][j];
    const float dot = c[0] * q[0] + c[1] * q[1] + c[2] * q[2] + c[3] * q[3];
    if (dot == 0)
        return projection;
    // Clip depth 0..1: the depth column becomes the scaled plane.
    Matrix4 oblique = projection;
    for (int i = 0; i < 4; ++i)
        oblique.m[i][2] = c[i] / dot;
    return oblique;
}

Plane RenderScreenspaceTextureController::CullingPlane(const Matrix4& change, const Vector4& plane)
{
    // A point p of the world is drawn at p * change, so the plane reaches the world as
    // change * plane (a column).
    const float c[4] = {plane.x, plane.y, plane.z, plane.w};
    float w[4];
    for (int i = 0; i < 4; ++i)
        w[i] = change.m[i][0] * c[0] + change.m[i][1] * c[1] + change.m[i][2] * c[2] + change.m[i][3] * c[3];
    const float length = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
    Plane result;
    if (length > 0) {
        result.normal = Vector3{w[0] / length, w[1] / length, w[2] / length};
        result.distance = -w[3] / length;
    }
    return result;
}

void RenderScreenspaceTextureController::PostUpdate()
{
    Renderer* renderer = Renderer::Current();
    Texture* target = OwnerTexture();
    Camera* camera = renderer ? renderer->GetCamera() : nullptr;
    if (!renderer || !target || !camera)
        return;
    const float height = WaterHeight();
    const Matrix4 view = camera->View();
    const Matrix4 projection = camera->Projection();
    renderer->BeginRenderTarget(target);
    if (!renderer->RenderTargetActive())
        return;  // Refused (logged by the renderer): nothing is drawn over the screen instead.
    renderer->Clear(Renderer::kClearColor | Renderer::kClearDepth, kSceneClearColor, 1.0f, 0);
    const bool letterbox = renderer->Letterbox();
    const uint32_t width = renderer->GetViewportWidth(), fullHeight = renderer->GetViewportHeight();
    if (letterbox)
        renderer->SetViewport(0, fullHeight * 0.125f, static_cast<float>(width), fullHeight * 0.75f);
    if (Mirrors())
        renderer->SetMirrorCulling(true);
    const Matrix4 change = SpaceChange(height);
    camera->SetMatrices(change * view, ObliqueProjection(view, projection, ClipPlane(height)), &projection);
    camera->SetPlane(Camera::kNear, CullingPlane(change, ClipPlane(height)));
    const uint32_t queued = renderer->Deferred().Count();
    m_nodes.Draw(renderer);
    renderer->FlushDeferredFrom(queued);
    camera->SetMatrices(view, projection);
    if (letterbox)
        renderer->SetViewport(0, 0, static_cast<float>(width), static_cast<float>(fullHeight));
    renderer->EndRenderTarget();
    if (Mirrors())
        renderer->SetMirrorCulling(false);
}

Result RenderScreenspaceTextureController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_plane.Get()) != kSuccess) {
        Error("Невозможно сохранить узел. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    if (m_nodes.Save(stream) != kSuccess) {
        Error("Невозможно сохранить узлы. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result RenderScreenspaceTextureController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Node> plane;
    if (stream.ReadObject(plane) != kSuccess) {
        Error("Невозможно загрузить узел. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    m_plane = plane;
    if (m_nodes.Load(stream) != kSuccess) {
        Error("Невозможно загрузить узлы. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

void RenderScreenspaceTextureController::VisitReferences(ReferenceVisitor& visitor)
{
    RenderTextureController::VisitReferences(visitor);
    m_nodes.VisitReferences(visitor);
}

}  // namespace zen
