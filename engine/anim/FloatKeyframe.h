#pragma once
#include "engine/anim/Keyframe.h"

namespace zen {

// A key of a float animation (sizes and other scalars), blended linearly. Field after the
// time: the value (float32).
class FloatKeyframe : public Keyframe {
public:
    static constexpr Kind kKind = kFloat;
    Kind GetKind() const override { return kKind; }

    float value = 0;

protected:
    Result SaveFields(Stream& stream) override;
    Result LoadFields(Stream& stream) override;
};

}  // namespace zen
