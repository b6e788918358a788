#include "engine/anim/NodeAnimation.h"

#include <new>

#include "engine/anim/NodeKeyframe.h"

namespace zen {

ZEN_IMPLEMENT_CLASS(NodeAnimation, Animation, kStartupOtherClasses)

Keyframe* NodeAnimation::NewKeyframe() const { return new (std::nothrow) NodeKeyframe(); }

Keyframe::Kind NodeAnimation::KeyframeKind() const { return NodeKeyframe::kKind; }

}  // namespace zen
