#pragma once
#include "engine/scene/GeometryNode.h"

namespace zen {

// Geometry drawn as a line list, one segment per pair of indices ("ZEN.Lines").
class Lines : public GeometryNode {
    ZEN_DECLARE_CLASS

public:
    Lines() = default;
    int32_t GetPrimitiveType() const override { return kLines; }
};

}  // namespace zen
