#pragma once
#include <cstdint>

#include "engine/core/Vector3.h"
#include "engine/scene/Buffer.h"

namespace zen {

// A buffer ("ZEN.Vector3Buffer"): three floats (x, y, z) per element: positions, normals, tangents, texture coordinates.
// Element size 12 bytes.
class Vector3Buffer : public Buffer {
    ZEN_DECLARE_CLASS

public:
    // `count` zeroed elements, or the creator's `memory` (not owned) of at least `count` elements.
    explicit Vector3Buffer(uint32_t count = 0, Vector3* memory = nullptr) : Buffer(sizeof(Vector3), count, memory) {}

    Vector3* Data() { return static_cast<Vector3*>(GetData()); }
    const Vector3* Data() const { return static_cast<const Vector3*>(Buffer::GetData()); }
};

static_assert(sizeof(Vector3) == 12, "the stream stores Vector3Buffer elements as 12 raw bytes");

}  // namespace zen
