#include "engine/anim/ColorAnimationController.h"

#include "engine/scene/ColorEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ColorAnimationController, AnimationController, kStartupOtherClasses)

void ColorAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&ColorEffect::TYPE))
        return;
    ColorEffect& effect = static_cast<ColorEffect&>(*m_owner);
    effect.SetColor(BlendColor(effect.Color()));
}

}  // namespace zen
