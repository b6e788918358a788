#include "tools/model/HeightField.h"

#include <algorithm>

namespace zen::model {

Vector3 HeightField::Normal(const Function& height, float x, float z, float step)
{
    const float dx = height(x + step, z) - height(x - step, z);
    const float dz = height(x, z + step) - height(x, z - step);
    return Vector3{-dx, 2 * step, -dz}.Normalized();
}

MeshBuilder HeightField::Build(const Grid& grid, const Function& height, float uvPerUnit)
{
    MeshBuilder mesh;
    const int nx = std::max(grid.cellsX, 1);
    const int nz = std::max(grid.cellsZ, 1);
    const float cellX = (grid.x1 - grid.x0) / static_cast<float>(nx);
    const float cellZ = (grid.z1 - grid.z0) / static_cast<float>(nz);
    const float step = 0.1f * std::min(std::abs(cellX), std::abs(cellZ));
    for (int j = 0; j <= nz; ++j) {
        for (int i = 0; i <= nx; ++i) {
            const float x = grid.x0 + cellX * static_cast<float>(i);
            const float z = grid.z0 + cellZ * static_cast<float>(j);
            mesh.AddVertex({x, height(x, z), z}, Normal(height, x, z, step),
                           {(x - grid.x0) * uvPerUnit, (grid.z1 - z) * uvPerUnit});
        }
    }
    const uint32_t row = static_cast<uint32_t>(nx) + 1;
    for (uint32_t j = 0; j < static_cast<uint32_t>(nz); ++j) {
        for (uint32_t i = 0; i < static_cast<uint32_t>(nx); ++i) {
            const uint32_t a = j * row + i;
            // Near-left, far-left, far-right, near-right: clockwise seen from above.
            mesh.AddQuad(a, a + row, a + row + 1, a + 1);
        }
    }
    return mesh;
}

}  // namespace zen::model
