#pragma once
#include "engine/anim/Keyframe.h"

namespace zen {

// A key of a switch track (bool, emission and sound animations): the switch holds its value
// from this key to the next, never blended. Field after the time: the value (one byte).
class BoolKeyframe : public Keyframe {
public:
    static constexpr Kind kKind = kBool;
    Kind GetKind() const override { return kKind; }

    bool value = true;

protected:
    Result SaveFields(Stream& stream) override;
    Result LoadFields(Stream& stream) override;
};

}  // namespace zen
