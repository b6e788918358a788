#include "engine/anim/TargetCameraController.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/Camera.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TargetCameraController, Controller, kStartupOtherClasses)

void TargetCameraController::Update(double)
{
    if (m_target.Lost()) {
        Warning("Цель контроллера удалена. Имя[%s] ID[%d]", Name().CStr(), ID());
        m_target = nullptr;
    }
    if (!m_active || !m_target || !m_owner || !m_owner->IsDerivedFrom(&Camera::TYPE))
        return;
    Camera& camera = static_cast<Camera&>(*m_owner);
    camera.SetUpdateWorldTransform(true);
    camera.UpdateWorldTransform();
    camera.SetUpdateWorldTransform(false);
    const Vector3 direction = m_target->WorldTransform().translation - camera.WorldTransform().translation;
    if (camera.SetDirection(direction) != kSuccess)
        return;  // On the target: no direction to look along; the last one stays.
    Transform& world = camera.WorldTransform();
    world.rotation = camera.LocalTransform().rotation;
    world.isIdentity = false;
    world.noRotation = false;
}

Result TargetCameraController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_target.Get()) != kSuccess) {
        Error("Невозможно сохранить цель камеры. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result TargetCameraController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Node> target;
    if (stream.ReadObject(target) != kSuccess) {
        Error("Невозможно загрузить цель камеры. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_target = target;
    return kSuccess;
}

}  // namespace zen
