#pragma once
#include <vector>

#include "tools/model/MeshBuilder.h"

namespace zen::model {

// A prism: a convex outline in the x-y plane, its points listed clockwise as seen from the front
// (a viewer at -z looking along +z), pushed back along +z by `depth`. The sides are flat-shaded
// quads; the two caps are fans. Roofs, chimneys, steps and frames are made this way.
class Extrusion {
public:
    static MeshBuilder Extrude(const std::vector<Vector2>& outline, float depth, bool caps = true, float uvPerUnit = 1.0f);
};

}  // namespace zen::model
