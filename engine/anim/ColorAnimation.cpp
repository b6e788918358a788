#include "engine/anim/ColorAnimation.h"

#include <new>

#include "engine/anim/ColorKeyframe.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(ColorAnimation, Animation, kStartupOtherClasses)

Keyframe* ColorAnimation::NewKeyframe() const { return new (std::nothrow) ColorKeyframe(); }

Keyframe::Kind ColorAnimation::KeyframeKind() const { return ColorKeyframe::kKind; }

}  // namespace zen
