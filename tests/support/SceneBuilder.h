#pragma once
#include <cstdint>
#include <initializer_list>

#include "engine/core/Ptr.h"
#include "engine/scene/Camera.h"
#include "engine/scene/ColorBuffer.h"
#include "engine/scene/FPCamera.h"
#include "engine/scene/FloatBuffer.h"
#include "engine/scene/IntBuffer.h"
#include "engine/scene/Light.h"
#include "engine/scene/Lines.h"
#include "engine/scene/Points.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/StripLines.h"
#include "engine/scene/Triangles.h"
#include "engine/scene/Vector2Buffer.h"
#include "engine/scene/Vector3Buffer.h"
#include "engine/scene/Vector4Buffer.h"

// Scenes made in code for tests, benchmarks and tools: buffers from value lists, simple
// meshes, and a sample scene holding one object of every scene class. The objects are
// ordinary engine objects (the engine need not be started to build them, only to stream them).
namespace zen::test {

// Buffers from values.
Ptr<Vector2Buffer> MakeVector2Buffer(std::initializer_list<Vector2> values);
Ptr<Vector3Buffer> MakeVector3Buffer(std::initializer_list<Vector3> values);
Ptr<Vector4Buffer> MakeVector4Buffer(std::initializer_list<Vector4> values);
Ptr<FloatBuffer> MakeFloatBuffer(std::initializer_list<float> values);
Ptr<IntBuffer> MakeIntBuffer(std::initializer_list<int32_t> values);
Ptr<ColorBuffer> MakeColorBuffer(std::initializer_list<Vector4> values);

// A square of side 2 * halfSize in the z = 0 plane facing -z (two triangles), with texture
// coordinates in set 0, normals and tangents generated and the local bound computed.
Ptr<Triangles> MakeQuad(const char* name, float halfSize);
// A grid of `columns` x `rows` cells (two triangles each) over [0, columns] x [0, rows] in
// z = 0, texture coordinates u = x / columns, v = y / rows; nothing generated.
Ptr<Triangles> MakeGrid(const char* name, uint32_t columns, uint32_t rows);

// A node placed at `translation`.
void Place(Node& node, const Vector3& translation);

// The rotation by `angle` radians about `axis` (any length).
Quaternion AxisAngle(const Vector3& axis, float angle);

// The sample scene: every scene class, shared buffers and an empty child slot.
//   Root (SceneNode)
//     [0] Group (SceneNode at (0, 0, 10))
//           [0] Quad (Triangles: vertices, normals, tangents, colours, texture sets 0 and 2,
//                     indices)
//           [1] Twin (Triangles sharing Quad's vertices and indices)
//           [2] empty slot
//           [3] Sparks (Points with point sizes, one-component texture coordinates)
//     [1] Grid (Lines)
//     [2] Path (StripLines)
//     [3] Camera (Camera at (0, 0, -5), fov 1.0, near 0.5, far 500)
//     [4] Eye (FPCamera, parameters 2, 4, true)
//     [5] Sun (Light: spot, colours, attenuation enabled)
struct SampleScene {
    Ptr<SceneNode> root;
    SceneNode* group = nullptr;
    Triangles* quad = nullptr;
    Triangles* twin = nullptr;
    Points* sparks = nullptr;
    Lines* grid = nullptr;
    StripLines* path = nullptr;
    Camera* camera = nullptr;
    FPCamera* eye = nullptr;
    Light* sun = nullptr;
};
SampleScene BuildSampleScene();

// A balanced tree for measurements: `count` leaves (Triangles quads sharing one set of
// buffers) under scene nodes of `fanOut` children each, spread over a cube of side `extent`.
Ptr<SceneNode> BuildTree(uint32_t count, uint32_t fanOut, float extent);

}  // namespace zen::test
