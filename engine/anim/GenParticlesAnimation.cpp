#include "engine/anim/GenParticlesAnimation.h"

#include <new>

#include "engine/anim/BoolKeyframe.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(GenParticlesAnimation, Animation, kStartupOtherClasses)

Keyframe* GenParticlesAnimation::NewKeyframe() const { return new (std::nothrow) BoolKeyframe(); }

Keyframe::Kind GenParticlesAnimation::KeyframeKind() const { return BoolKeyframe::kKind; }

}  // namespace zen
