#pragma once
#include <cstdint>

#include "engine/core/Vector2.h"
#include "engine/scene/Buffer.h"

namespace zen {

// A buffer ("ZEN.Vector2Buffer"): two floats (u, v) per element: texture coordinates.
// Element size 8 bytes.
class Vector2Buffer : public Buffer {
    ZEN_DECLARE_CLASS

public:
    // `count` zeroed elements, or the creator's `memory` (not owned) of at least `count` elements.
    explicit Vector2Buffer(uint32_t count = 0, Vector2* memory = nullptr) : Buffer(sizeof(Vector2), count, memory) {}

    Vector2* Data() { return static_cast<Vector2*>(GetData()); }
    const Vector2* Data() const { return static_cast<const Vector2*>(Buffer::GetData()); }
};

static_assert(sizeof(Vector2) == 8, "the stream stores Vector2Buffer elements as 8 raw bytes");

}  // namespace zen
