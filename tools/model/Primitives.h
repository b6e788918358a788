#pragma once
#include "tools/model/MeshBuilder.h"

namespace zen::model {

// Simple solids around the origin, faces outward, with texture coordinates that show a picture
// upright on their sides.
class Primitives {
public:
    // A box of the given full size, each face its own four vertices (flat shading) and the whole
    // picture (times `uvPerUnit` per unit of length when that is not 0).
    static MeshBuilder Box(const Vector3& size, float uvPerUnit = 0.0f);
    // A sphere of `rings` bands from pole to pole and `segments` around.
    static MeshBuilder Sphere(float radius, int segments, int rings);
    // An open cylinder standing on y = 0 (no caps).
    static MeshBuilder Cylinder(float radius, float height, int segments, float uTurns = 1.0f);
    // A flat disc in the y = 0 plane facing up (+y), or down when `down`.
    static MeshBuilder Disc(float radius, int segments, bool down = false);
    // A flat rectangle in the y = 0 plane facing up, centred on the origin, `cells` per side.
    static MeshBuilder Plane(float sizeX, float sizeZ, int cellsX, int cellsZ, float uvPerUnit = 1.0f);
    // An upright rectangle in the x-y plane facing -z (towards a viewer looking along +z),
    // bottom edge on y = 0, centred on x = 0, the picture upright.
    static MeshBuilder Quad(float width, float height);
};

}  // namespace zen::model
