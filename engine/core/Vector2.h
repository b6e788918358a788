#pragma once

namespace zen {

// Two floats; texture coordinates and screen positions.
struct Vector2 {
    float x = 0, y = 0;

    friend bool operator==(const Vector2&, const Vector2&) = default;
};

}  // namespace zen
