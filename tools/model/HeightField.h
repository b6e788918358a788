#pragma once
#include <functional>

#include "tools/model/MeshBuilder.h"

namespace zen::model {

// Ground from a height function: a regular grid over x (left to right) and z (near to far)
// whose vertices are lifted to y = height(x, z), facing up. Normals come from the function's
// slope (central differences a tenth of a cell apart), so neighbouring patches built from the
// same function shade seamlessly. Texture coordinates run from the grid's near-left corner: u is
// (x - x0) and v is (z1 - z) times `uvPerUnit`, so a picture of the ground drawn as a map (far
// edge at the top) lies on it the right way round.
class HeightField {
public:
    using Function = std::function<float(float x, float z)>;

    struct Grid {
        float x0 = 0, z0 = 0, x1 = 1, z1 = 1;
        int cellsX = 1, cellsZ = 1;
    };

    static MeshBuilder Build(const Grid& grid, const Function& height, float uvPerUnit = 1.0f);
    // The surface normal of the function at (x, z), by central differences `step` apart.
    static Vector3 Normal(const Function& height, float x, float z, float step);
};

}  // namespace zen::model
