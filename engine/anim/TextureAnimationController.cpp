#include "engine/anim/TextureAnimationController.h"

#include "engine/anim/TextureKeyframe.h"
#include "engine/scene/TextureEffect.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TextureAnimationController, AnimationController, kStartupOtherClasses)

void TextureAnimationController::ApplyStages()
{
    if (!m_owner || !m_owner->IsDerivedFrom(&TextureEffect::TYPE))
        return;
    TextureEffect& effect = static_cast<TextureEffect&>(*m_owner);
    Texture* const atStart = effect.GetTexture();
    ForEachStageKey<TextureKeyframe>([&](const TextureKeyframe& key) {
        if (key.texture.Get() != atStart)
            effect.SetTexture(key.texture.Get());
    });
}

}  // namespace zen
