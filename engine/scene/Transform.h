#pragma once
#include "engine/core/Quaternion.h"
#include "engine/core/Vector3.h"

namespace zen {

// Placement of a node: a point p maps to rotation * (scale (*) p) + translation. The two flags
// let the update skip work; code that changes a component clears isIdentity (and noRotation
// when it changes the rotation). A transform read from a stream has both flags false.
struct Transform {
    Vector3 scale{1, 1, 1};
    Quaternion rotation{};
    Vector3 translation{};
    bool isIdentity = true;
    bool noRotation = true;
};

}  // namespace zen
