#include "engine/anim/LightmapAnimationController.h"

#include "engine/anim/TextureKeyframe.h"
#include "engine/scene/LightmapTextureEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(LightmapAnimationController, AnimationController, kStartupOtherClasses)

void LightmapAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&LightmapTextureEffect::TYPE))
        return;
    LightmapTextureEffect& effect = static_cast<LightmapTextureEffect&>(*m_owner);
    Texture* const atStart = effect.GetLightmap();
    ForEachStageKey<TextureKeyframe>([&](const TextureKeyframe& key) {
        if (key.texture.Get() != atStart)
            effect.SetLightmap(key.texture.Get());
    });
}

}  // namespace zen
