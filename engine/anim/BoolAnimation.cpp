#include "engine/anim/BoolAnimation.h"

#include <new>

#include "engine/anim/BoolKeyframe.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(BoolAnimation, Animation, kStartupOtherClasses)

Keyframe* BoolAnimation::NewKeyframe() const { return new (std::nothrow) BoolKeyframe(); }

Keyframe::Kind BoolAnimation::KeyframeKind() const { return BoolKeyframe::kKind; }

}  // namespace zen
