#pragma once

namespace zen {

// Four floats; homogeneous points, planes and colours (x, y, z, w as r, g, b, a).
struct Vector4 {
    float x = 0, y = 0, z = 0, w = 0;

    friend bool operator==(const Vector4&, const Vector4&) = default;
};

}  // namespace zen
