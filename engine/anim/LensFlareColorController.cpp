#include "engine/anim/LensFlareColorController.h"

#include "engine/scene/LensFlares.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(LensFlareColorController, AnimationController, kStartupOtherClasses)

void LensFlareColorController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&LensFlares::TYPE))
        return;
    LensFlares& target = static_cast<LensFlares&>(*m_owner);
    target.SetColor(BlendColor(target.Color()));
}

}  // namespace zen
