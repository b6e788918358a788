#pragma once
#include "engine/anim/Keyframe.h"
#include "engine/core/Vector4.h"

namespace zen {

// A key of a colour animation: red, green, blue, alpha, blended linearly. Field after the
// time: the colour (4 x float32).
class ColorKeyframe : public Keyframe {
public:
    static constexpr Kind kKind = kColor;
    Kind GetKind() const override { return kKind; }

    Vector4 color{};

protected:
    Result SaveFields(Stream& stream) override;
    Result LoadFields(Stream& stream) override;
};

}  // namespace zen
