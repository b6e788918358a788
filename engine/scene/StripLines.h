#pragma once
#include "engine/scene/GeometryNode.h"

namespace zen {

// Geometry drawn as a line strip through the indices in order ("ZEN.StripLines").
class StripLines : public GeometryNode {
    ZEN_DECLARE_CLASS

public:
    StripLines() = default;
    int32_t GetPrimitiveType() const override { return kStripLines; }
};

}  // namespace zen
