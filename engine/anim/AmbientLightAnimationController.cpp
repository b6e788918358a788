#include "engine/anim/AmbientLightAnimationController.h"

#include "engine/scene/Light.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(AmbientLightAnimationController, AnimationController, kStartupOtherClasses)

void AmbientLightAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&Light::TYPE))
        return;
    Light& light = static_cast<Light&>(*m_owner);
    light.SetColors(BlendColor(light.Ambient()), light.Diffuse(), light.Specular());
}

}  // namespace zen
