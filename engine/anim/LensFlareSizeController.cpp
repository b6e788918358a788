#include "engine/anim/LensFlareSizeController.h"

#include "engine/scene/LensFlares.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(LensFlareSizeController, AnimationController, kStartupOtherClasses)

void LensFlareSizeController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&LensFlares::TYPE))
        return;
    LensFlares& target = static_cast<LensFlares&>(*m_owner);
    target.SetSize(BlendFloat(target.Size()));
}

}  // namespace zen
