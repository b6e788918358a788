#pragma once
#include "engine/core/Vector3.h"

namespace zen {

// A half line: origin plus t * direction for t >= 0; direction is unit length.
struct Ray {
    Vector3 origin{};
    Vector3 direction{0, 0, 1};
};

}  // namespace zen
