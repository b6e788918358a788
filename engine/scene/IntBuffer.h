#pragma once
#include <cstdint>

#include "engine/scene/Buffer.h"

namespace zen {

// A buffer ("ZEN.IntBuffer"): one signed 32-bit integer per element: primitive indices.
// Element size 4 bytes.
class IntBuffer : public Buffer {
    ZEN_DECLARE_CLASS

public:
    // `count` zeroed elements, or the creator's `memory` (not owned) of at least `count` elements.
    explicit IntBuffer(uint32_t count = 0, int32_t* memory = nullptr) : Buffer(sizeof(int32_t), count, memory) {}

    int32_t* Data() { return static_cast<int32_t*>(GetData()); }
    const int32_t* Data() const { return static_cast<const int32_t*>(Buffer::GetData()); }
};

static_assert(sizeof(int32_t) == 4, "the stream stores IntBuffer elements as 4 raw bytes");

}  // namespace zen
