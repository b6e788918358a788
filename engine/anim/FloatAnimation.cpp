#include "engine/anim/FloatAnimation.h"

#include <new>

#include "engine/anim/FloatKeyframe.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(FloatAnimation, Animation, kStartupOtherClasses)

Keyframe* FloatAnimation::NewKeyframe() const { return new (std::nothrow) FloatKeyframe(); }

Keyframe::Kind FloatAnimation::KeyframeKind() const { return FloatKeyframe::kKind; }

}  // namespace zen
