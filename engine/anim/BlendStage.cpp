#include "engine/anim/BlendStage.h"

#include <cmath>

namespace zen {

void BlendStage::Evaluate(double t)
{
    if (!animation || animation->KeyframeCount() == 0)
        return;
    if (!std::isfinite(t))
        t = 0;
    const uint32_t count = animation->KeyframeCount();
    keyIndex = animation->FindKeyframe(t, keyIndex);
    nextKeyIndex = (keyIndex + 1) % count;
    const double keyTime = animation->GetKeyframe(keyIndex)->time;
    double span = animation->GetKeyframe(nextKeyIndex)->time - keyTime;
    if (span < 0)
        span += 1;  // From the last key round to the first.
    if (span == 0) {
        fraction = 0;
        return;
    }
    double along = t - keyTime;
    if (along < 0)
        along += 1;
    fraction = along / span;
}

bool BlendStage::HasKeys(Keyframe::Kind kind) const
{
    if (!animation || animation->KeyframeKind() != kind)
        return false;
    const uint32_t count = animation->KeyframeCount();
    return keyIndex < count && nextKeyIndex < count;
}

}  // namespace zen
