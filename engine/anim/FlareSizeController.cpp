#include "engine/anim/FlareSizeController.h"

#include "engine/scene/Flare.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(FlareSizeController, AnimationController, kStartupOtherClasses)

void FlareSizeController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&Flare::TYPE))
        return;
    Flare& target = static_cast<Flare&>(*m_owner);
    target.SetSize(BlendFloat(target.Size()));
}

}  // namespace zen
