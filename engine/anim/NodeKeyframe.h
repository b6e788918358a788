#pragma once
#include "engine/anim/Keyframe.h"
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

namespace zen {

// A key of a node animation: the local placement at its time. Translation and scale blend
// linearly, the rotation spherically. Fields after the time: translation (3 x float32),
// rotation (x, y, z, w), scale (3 x float32).
class NodeKeyframe : public Keyframe {
public:
    static constexpr Kind kKind = kNode;
    Kind GetKind() const override { return kKind; }

    Vector3 translation{};
    Quaternion rotation{};
    Vector3 scale{1, 1, 1};

protected:
    Result SaveFields(Stream& stream) override;
    Result LoadFields(Stream& stream) override;
};

}  // namespace zen
