#include "engine/anim/TextureAnimation.h"

#include <new>

#include "engine/anim/TextureKeyframe.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(TextureAnimation, Animation, kStartupOtherClasses)

Keyframe* TextureAnimation::NewKeyframe() const { return new (std::nothrow) TextureKeyframe(); }

Keyframe::Kind TextureAnimation::KeyframeKind() const { return TextureKeyframe::kKind; }

}  // namespace zen
