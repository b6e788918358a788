#include "engine/anim/RenderCubeTextureController.h"

#include <new>

#include "engine/core/MessageLog.h"
#include "engine/core/ReferenceVisitor.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/CubeTexture.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(RenderCubeTextureController, PostUpdateController, kStartupOtherClasses)

const RenderCubeTextureController::FaceAxes RenderCubeTextureController::kFaces[6] = {
    {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}},  {{-1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 1, 0}, {0, 0, -1}, {1, 0, 0}},
    {{0, -1, 0}, {0, 0, 1}, {1, 0, 0}}, {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}},  {{0, 0, -1}, {0, 1, 0}, {-1, 0, 0}},
};

void RenderCubeTextureController::PostUpdate()
{
    Renderer* renderer = Renderer::Current();
    if (!renderer || !m_owner || !m_owner->IsDerivedFrom(&CubeTexture::TYPE))
        return;
    CubeTexture* cube = static_cast<CubeTexture*>(m_owner);
    if (!m_regenerate && m_done && cube->BoundRenderer() && !cube->IsDirty())
        return;
    const Ptr<Camera> kept = renderer->GetCamera();
    // One camera serves every render: a cube regenerated every frame allocates nothing.
    if (!m_camera) {
        m_camera = new (std::nothrow) Camera;
        if (!m_camera) {
            Error("Недостаточно памяти для камеры кубической текстуры. Имя[%s] ID[%d]", m_name.CStr(), ID());
            return;
        }
        m_camera->SetName(String("Cube Camera"));
    }
    Camera* camera = m_camera.Get();
    const float nearDistance = kept ? kept->Near() : camera->Near();
    const float farDistance = kept ? kept->Far() : camera->Far();
    camera->SetFrustum(1.5707964f, nearDistance, farDistance);
    camera->LocalTransform().SetTranslation(m_centre ? m_centre->WorldTransform().translation : Vector3{0, 0, 0});
    bool refused = false;
    for (uint32_t face = 0; face < 6 && !refused; ++face) {
        const FaceAxes& axes = kFaces[face];
        camera->LocalTransform().SetRotation(Quaternion::FromAxes(axes.right, axes.up, axes.look));
        renderer->BeginRenderTarget(cube, face);
        refused = !renderer->RenderTargetActive();
        if (refused)
            break;  // Logged by the renderer: nothing is drawn over the screen instead.
        renderer->Clear(Renderer::kClearColor | Renderer::kClearDepth, kSceneClearColor, 1.0f, 0);
        camera->Update(0);
        camera->UpdateMatrices(1.0f);  // A face is square whatever viewport is current.
        renderer->SetCamera(camera);
        const uint32_t queued = renderer->Deferred().Count();
        m_nodes.Draw(renderer);
        renderer->FlushDeferredFrom(queued);
        renderer->EndRenderTarget();
    }
    renderer->SetCamera(kept.Get());
    m_done = !refused;
}

Result RenderCubeTextureController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteBool(m_regenerate) != kSuccess) {
        Error("Невозможно сохранить флаг генерации. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    if (stream.WriteObject(m_centre.Get()) != kSuccess) {
        Error("Невозможно сохранить узел. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    if (m_nodes.Save(stream) != kSuccess) {
        Error("Невозможно сохранить узлы. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result RenderCubeTextureController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    if (stream.ReadBool(m_regenerate) != kSuccess) {
        Error("Невозможно загрузить флаг генерации. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    Ptr<Node> centre;
    if (stream.ReadObject(centre) != kSuccess) {
        Error("Невозможно загрузить узел. ID[%d] Имя[%s]", ID(), m_name.CStr());
        return kFailure;
    }
    m_centre = centre;
    if (m_nodes.Load(stream) != kSuccess) {
        Error("Невозможно загрузить узлы. Имя[%s] ID[%d]", m_name.CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

void RenderCubeTextureController::VisitReferences(ReferenceVisitor& visitor)
{
    RenderTextureController::VisitReferences(visitor);
    m_nodes.VisitReferences(visitor);
}

}  // namespace zen
