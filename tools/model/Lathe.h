#pragma once
#include <vector>

#include "tools/model/MeshBuilder.h"

namespace zen::model {

// A surface of revolution about the y axis: a profile of (radius, height) points, from the
// bottom up, turned once around. Shading is smooth along the profile except at points marked as
// creases, where the surface gets a sharp edge (a ring of vertices for each side). Texture
// coordinates: u goes once around (0 to `uTurns`, starting at +x and turning towards +z), v runs
// from the top of the profile (0) down along its length (1), so a picture drawn upright wraps
// upright.
class Lathe {
public:
    struct Point {
        float radius = 0;
        float height = 0;
        bool crease = false;
    };

    // `segments` around (at least 3). An empty mesh when the profile has fewer than two points.
    static MeshBuilder Turn(const std::vector<Point>& profile, int segments, float uTurns = 1.0f);
};

}  // namespace zen::model
