#include "engine/anim/TargetLightController.h"

#include "engine/core/MessageLog.h"
#include "engine/core/Stream.h"
#include "engine/scene/Light.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TargetLightController, Controller, kStartupOtherClasses)

void TargetLightController::Update(double)
{
    if (m_target.Lost()) {
        Warning("Цель контроллера удалена. Имя[%s] ID[%d]", Name().CStr(), ID());
        m_target = nullptr;
    }
    if (!m_active || !m_target || !m_owner || !m_owner->IsDerivedFrom(&Light::TYPE))
        return;
    Light& light = static_cast<Light&>(*m_owner);
    const bool updates = light.UpdatesWorldTransform();
    light.SetUpdateWorldTransform(true);
    light.UpdateWorldTransform();
    light.SetUpdateWorldTransform(updates);
    const Vector3 direction = m_target->WorldTransform().translation - light.WorldTransform().translation;
    (void)light.SetDirection(direction);  // On the target: the last direction stays.
}

Result TargetLightController::Save(Stream& stream)
{
    if (Controller::Save(stream) != kSuccess)
        return ParentSaveFailed();
    if (stream.WriteObject(m_target.Get()) != kSuccess) {
        Error("Невозможно сохранить цель источника света. Имя[%s] ID[%d]", Name().CStr(), ID());
        return kFailure;
    }
    return kSuccess;
}

Result TargetLightController::Load(Stream& stream)
{
    if (Controller::Load(stream) != kSuccess)
        return ParentLoadFailed();
    Ptr<Node> target;
    if (stream.ReadObject(target) != kSuccess) {
        Error("Невозможно загрузить цель источника света. ID[%d] Имя[%s]", ID(), Name().CStr());
        return kFailure;
    }
    m_target = target;
    return kSuccess;
}

}  // namespace zen
