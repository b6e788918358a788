#include "engine/anim/FlareColorController.h"

#include "engine/scene/Flare.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(FlareColorController, AnimationController, kStartupOtherClasses)

void FlareColorController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&Flare::TYPE))
        return;
    Flare& target = static_cast<Flare&>(*m_owner);
    target.SetColor(BlendColor(target.Color()));
}

}  // namespace zen
