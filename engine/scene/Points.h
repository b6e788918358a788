#pragma once
#include "engine/scene/GeometryNode.h"

namespace zen {

// Geometry drawn as points, one per index (point sprites with point sizes) ("ZEN.Points").
class Points : public GeometryNode {
    ZEN_DECLARE_CLASS

public:
    Points() = default;
    int32_t GetPrimitiveType() const override { return kPoints; }
};

}  // namespace zen
