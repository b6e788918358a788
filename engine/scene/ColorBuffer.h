#pragma once
#include <cstdint>

#include "engine/core/Vector4.h"
#include "engine/scene/Buffer.h"

namespace zen {

// A buffer ("ZEN.ColorBuffer"): four floats (r, g, b, a) per element: vertex colours.
// Element size 16 bytes.
class ColorBuffer : public Buffer {
    ZEN_DECLARE_CLASS

public:
    // `count` zeroed elements, or the creator's `memory` (not owned) of at least `count` elements.
    explicit ColorBuffer(uint32_t count = 0, Vector4* memory = nullptr) : Buffer(sizeof(Vector4), count, memory) {}

    Vector4* Data() { return static_cast<Vector4*>(GetData()); }
    const Vector4* Data() const { return static_cast<const Vector4*>(Buffer::GetData()); }
};

static_assert(sizeof(Vector4) == 16, "the stream stores ColorBuffer elements as 16 raw bytes");

}  // namespace zen
