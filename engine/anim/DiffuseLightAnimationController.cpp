#include "engine/anim/DiffuseLightAnimationController.h"

#include "engine/scene/Light.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(DiffuseLightAnimationController, AnimationController, kStartupOtherClasses)

void DiffuseLightAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&Light::TYPE))
        return;
    Light& light = static_cast<Light&>(*m_owner);
    light.SetColors(light.Ambient(), BlendColor(light.Diffuse()), light.Specular());
}

}  // namespace zen
