#include "engine/anim/ProjectedCausticAnimationController.h"

#include "engine/anim/TextureKeyframe.h"
#include "engine/scene/ProjectedCausticEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ProjectedCausticAnimationController, AnimationController, kStartupOtherClasses)

void ProjectedCausticAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&ProjectedCausticEffect::TYPE))
        return;
    ProjectedCausticEffect& effect = static_cast<ProjectedCausticEffect&>(*m_owner);
    Texture* const atStart = effect.GetCaustic();
    ForEachStageKey<TextureKeyframe>([&](const TextureKeyframe& key) {
        if (key.texture.Get() != atStart)
            effect.SetCaustic(key.texture.Get());
    });
}

}  // namespace zen
