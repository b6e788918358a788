#include "engine/anim/SpecularLightAnimationController.h"

#include "engine/scene/Light.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SpecularLightAnimationController, AnimationController, kStartupOtherClasses)

void SpecularLightAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&Light::TYPE))
        return;
    Light& light = static_cast<Light&>(*m_owner);
    light.SetColors(light.Ambient(), light.Diffuse(), BlendColor(light.Specular()));
}

}  // namespace zen
