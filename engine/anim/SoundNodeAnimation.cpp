#include "engine/anim/SoundNodeAnimation.h"

#include <new>

#include "engine/anim/BoolKeyframe.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(SoundNodeAnimation, Animation, kStartupOtherClasses)

Keyframe* SoundNodeAnimation::NewKeyframe() const { return new (std::nothrow) BoolKeyframe(); }

Keyframe::Kind SoundNodeAnimation::KeyframeKind() const { return BoolKeyframe::kKind; }

}  // namespace zen
