#include "engine/anim/CameraActivateAnimationController.h"

#include <utility>

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(CameraActivateAnimationController, AnimationController, kStartupOtherClasses)

namespace {

constexpr uint32_t kMinLinkBytes = 4;

}  // namespace

void CameraActivateAnimationController::Update(double)
{
    if (!m_active || !m_cameraAnimation || !m_owner)
        return;
    Renderer* renderer = Renderer::Current();
    const bool current = renderer && renderer->GetCamera() == m_owner;
    if (current) {
        m_cameraAnimation->SetActive(true);
        if (m_targetAnimation)
            m_targetAnimation->SetActive(true);
        SetTrackPosition(m_cameraAnimation->TrackPosition());
        AnimationController::Update(0);
        const bool on = SwitchValue();
        for (const Link<AnimationController>& controller : m_controllers)
            if (controller)
                controller->SetActive(on);
        return;
    }
    const bool wasFlying = m_cameraAnimation->IsActive();
    m_cameraAnimation->SetActive(false);
    m_cameraAnimation->Reset();
    if (m_targetAnimation) {
        m_targetAnimation->SetActive(false);
        m_targetAnimation->Reset();
    }
    if (!wasFlying)
        return;
    for (const Link<AnimationController>& controller : m_controllers) {
        if (!controller)
            continue;
        controller->SetActive(true);
        controller->SetTrackPosition(0);
        controller->Update(0);
        controller->SetActive(false);
    }
}

Result CameraActivateAnimationController::AddController(AnimationController* controller)
{
    if (!controller)
        return kInvalidArgument;
    return m_controllers.Append(Link<AnimationController>(controller));
}

AnimationController* CameraActivateAnimationController::GetControlled(uint32_t index) const
{
    return index < m_controllers.Count() ? m_controllers[index].Get() : nullptr;
}

Result CameraActivateAnimationController::Save(Stream& stream)
{
    if (AnimationController::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_cameraAnimation.Get()) != kSuccess) {
        Error("Невозможно сохранить контроллер анимации камеры. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.WriteObject(m_targetAnimation.Get()) != kSuccess) {
        Error("Невозможно сохранить контроллер анимации цели камеры. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    if (stream.WriteUInt(m_controllers.Count()) != kSuccess) {
        Error("Невозможно сохранить количество дочерних узлов. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    for (const Link<AnimationController>& controller : m_controllers) {
        if (stream.WriteObject(controller.Get()) != kSuccess) {
            Error("Невозможно сохранить ссылку на контроллер анимации. Имя[%s] ID[%d]", Name().CStr(), ID());
            return kFailure;
        }
    }
    return kSuccess;
}

Result CameraActivateAnimationController::Load(Stream& stream)
{
    if (AnimationController::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<AnimationController> cameraAnimation;
    if (stream.ReadObject(cameraAnimation) != kSuccess) {
        Error("Невозможно загрузить контроллер анимации камеры. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Ptr<AnimationController> targetAnimation;
    if (stream.ReadObject(targetAnimation) != kSuccess) {
        Error("Невозможно загрузить контроллер анимации цели камеры. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    uint32_t count = 0;
    if (stream.ReadUInt(count) != kSuccess || count > stream.Remaining() / kMinLinkBytes) {
        Error("Невозможно загрузить количество контроллеров анимации. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    Array<Link<AnimationController>> controllers(count > 0 ? count : 1, 1);
    for (uint32_t i = 0; i < count; ++i) {
        Ptr<AnimationController> controller;
        if (stream.ReadObject(controller) != kSuccess || controllers.Append(controller) != kSuccess) {
            Error("Невозможно загрузить контроллер анимации. ID[%d] Имя[%s]", ID(), Name().CStr());
            return kFailure;
        }
    }
    m_cameraAnimation = cameraAnimation;
    m_targetAnimation = targetAnimation;
    m_controllers = std::move(controllers);
    return kSuccess;
}

}  // namespace zen
