#pragma once
#include <cstdint>

#include "engine/scene/Buffer.h"

namespace zen {

// A buffer ("ZEN.FloatBuffer"): one float per element: point sizes, one-component texture coordinates.
// Element size 4 bytes.
class FloatBuffer : public Buffer {
    ZEN_DECLARE_CLASS

public:
    // `count` zeroed elements, or the creator's `memory` (not owned) of at least `count` elements.
    explicit FloatBuffer(uint32_t count = 0, float* memory = nullptr) : Buffer(sizeof(float), count, memory) {}

    float* Data() { return static_cast<float*>(GetData()); }
    const float* Data() const { return static_cast<const float*>(Buffer::GetData()); }
};

static_assert(sizeof(float) == 4, "the stream stores FloatBuffer elements as 4 raw bytes");

}  // namespace zen
