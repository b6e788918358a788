#include "support/SceneBuilder.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace zen::test {
namespace {

template <class BufferType, class Value>
Ptr<BufferType> MakeBuffer(std::initializer_list<Value> values)
{
    Ptr<BufferType> buffer = new BufferType(static_cast<uint32_t>(values.size()));
    std::copy(values.begin(), values.end(), buffer->Data());
    return buffer;
}

}  // namespace

Ptr<Vector2Buffer> MakeVector2Buffer(std::initializer_list<Vector2> values)
{
    return MakeBuffer<Vector2Buffer>(values);
}
Ptr<Vector3Buffer> MakeVector3Buffer(std::initializer_list<Vector3> values)
{
    return MakeBuffer<Vector3Buffer>(values);
}
Ptr<Vector4Buffer> MakeVector4Buffer(std::initializer_list<Vector4> values)
{
    return MakeBuffer<Vector4Buffer>(values);
}
Ptr<FloatBuffer> MakeFloatBuffer(std::initializer_list<float> values)
{
    return MakeBuffer<FloatBuffer>(values);
}
Ptr<IntBuffer> MakeIntBuffer(std::initializer_list<int32_t> values)
{
    return MakeBuffer<IntBuffer>(values);
}
Ptr<ColorBuffer> MakeColorBuffer(std::initializer_list<Vector4> values)
{
    return MakeBuffer<ColorBuffer>(values);
}

void Place(Node& node, const Vector3& translation)
{
    node.LocalTransform().SetTranslation(translation);
}

Quaternion AxisAngle(const Vector3& axis, float angle)
{
    const Vector3 a = axis.Normalized();
    const float s = std::sin(angle / 2);
    return {a.x * s, a.y * s, a.z * s, std::cos(angle / 2)};
}

Ptr<Triangles> MakeQuad(const char* name, float halfSize)
{
    Ptr<Triangles> quad = new Triangles();
    quad->SetName(String(name));
    const float h = halfSize;
    quad->SetVertices(MakeVector3Buffer({{-h, -h, 0}, {h, -h, 0}, {h, h, 0}, {-h, h, 0}}).Get());
    (void)quad->SetTexCoords(0, MakeVector2Buffer({{0, 0}, {1, 0}, {1, 1}, {0, 1}}).Get());
    quad->SetIndices(MakeIntBuffer({0, 2, 1, 0, 3, 2}).Get());
    quad->UpdateGeometry(true, true);
    return quad;
}

Ptr<Triangles> MakeGrid(const char* name, uint32_t columns, uint32_t rows)
{
    Ptr<Triangles> grid = new Triangles();
    grid->SetName(String(name));
    const uint32_t across = columns + 1;
    Ptr<Vector3Buffer> vertices = new Vector3Buffer(across * (rows + 1));
    Ptr<Vector2Buffer> coords = new Vector2Buffer(across * (rows + 1));
    for (uint32_t y = 0; y <= rows; ++y) {
        for (uint32_t x = 0; x <= columns; ++x) {
            vertices->Data()[y * across + x] = {static_cast<float>(x), static_cast<float>(y), 0};
            coords->Data()[y * across + x] = {static_cast<float>(x) / static_cast<float>(columns),
                                              static_cast<float>(y) / static_cast<float>(rows)};
        }
    }
    Ptr<IntBuffer> indices = new IntBuffer(columns * rows * 6);
    int32_t* index = indices->Data();
    for (uint32_t y = 0; y < rows; ++y) {
        for (uint32_t x = 0; x < columns; ++x) {
            const int32_t a = static_cast<int32_t>(y * across + x), b = a + 1;
            const int32_t c = a + static_cast<int32_t>(across), d = c + 1;
            *index++ = a, *index++ = c, *index++ = b;
            *index++ = b, *index++ = c, *index++ = d;
        }
    }
    grid->SetVertices(vertices.Get());
    (void)grid->SetTexCoords(0, coords.Get());
    grid->SetIndices(indices.Get());
    return grid;
}

SampleScene BuildSampleScene()
{
    SampleScene scene;
    scene.root = new SceneNode();
    scene.root->SetName(String("Root"));

    Ptr<SceneNode> group = new SceneNode();
    group->SetName(String("Group"));
    Place(*group, {0, 0, 10});
    scene.group = group.Get();

    Ptr<Triangles> quad = MakeQuad("Quad", 1.0f);
    quad->SetColors(MakeColorBuffer({{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 0.5f}}).Get());
    (void)quad->SetTexCoords(2, MakeVector4Buffer({{0, 0, 0, 1}, {1, 0, 0, 1}, {1, 1, 0, 1}, {0, 1, 0, 1}}).Get());
    quad->Vertices()->SetName(String("QuadVertices"));
    scene.quad = quad.Get();

    Ptr<Triangles> twin = new Triangles();
    twin->SetName(String("Twin"));
    twin->SetVertices(quad->Vertices());
    twin->SetIndices(quad->Indices());
    twin->UpdateGeometry(true, false);
    Place(*twin, {3, 0, 0});
    twin->LocalTransform().SetScale({2, 2, 2});
    scene.twin = twin.Get();

    Ptr<Points> sparks = new Points();
    sparks->SetName(String("Sparks"));
    sparks->SetVertices(MakeVector3Buffer({{0, 1, 0}, {0, 2, 0}, {0, 3, 0}}).Get());
    sparks->SetPointSizes(MakeFloatBuffer({1.0f, 2.0f, 0.5f}).Get());
    (void)sparks->SetTexCoords(1, MakeFloatBuffer({0.25f, 0.5f, 0.75f}).Get());
    sparks->SetIndices(MakeIntBuffer({0, 1, 2}).Get());
    sparks->UpdateModelBound();
    scene.sparks = sparks.Get();

    (void)group->AttachChild(quad.Get());
    (void)group->AttachChild(twin.Get());
    (void)group->SetChild(2, nullptr);
    (void)group->SetChild(3, sparks.Get());

    Ptr<Lines> grid = new Lines();
    grid->SetName(String("Grid"));
    grid->SetVertices(MakeVector3Buffer({{-5, 0, -5}, {5, 0, -5}, {-5, 0, 5}, {5, 0, 5}}).Get());
    grid->SetIndices(MakeIntBuffer({0, 1, 2, 3, 0, 2, 1, 3}).Get());
    grid->UpdateModelBound();
    scene.grid = grid.Get();

    Ptr<StripLines> path = new StripLines();
    path->SetName(String("Path"));
    path->SetVertices(MakeVector3Buffer({{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0}}).Get());
    path->SetIndices(MakeIntBuffer({0, 1, 2, 3}).Get());
    path->UpdateModelBound();
    scene.path = path.Get();

    Ptr<Camera> camera = new Camera();
    camera->SetName(String("Camera"));
    camera->SetFrustum(1.0f, 0.5f, 500.0f);
    Place(*camera, {0, 0, -5});
    scene.camera = camera.Get();

    Ptr<FPCamera> eye = new FPCamera();
    eye->SetName(String("Eye"));
    eye->SetParameters(2.0f, 4.0f, true);
    (void)eye->SetDirection({1, 0, 1});
    scene.eye = eye.Get();

    Ptr<Light> sun = new Light(Light::kSpot);
    sun->SetName(String("Sun"));
    sun->SetColors({0.1f, 0.1f, 0.1f, 1}, {1, 0.9f, 0.8f, 1}, {0.5f, 0.5f, 0.5f, 1});
    sun->SetAttenuation({1, 0.25f, 0.125f}, true);
    sun->SetSpot(2.0f, 0.5f);
    Place(*sun, {0, 20, 0});
    (void)sun->SetDirection({0, -1, 0.001f});
    scene.sun = sun.Get();

    for (Node* child : std::initializer_list<Node*>{group.Get(), grid.Get(), path.Get(), camera.Get(), eye.Get(),
                                                     sun.Get()})
        (void)scene.root->AttachChild(child);
    scene.root->UpdateState(0.0, true);
    return scene;
}

Ptr<SceneNode> BuildTree(uint32_t count, uint32_t fanOut, float extent)
{
    Ptr<Triangles> prototype = MakeQuad("Leaf", 0.5f);
    std::vector<Ptr<Node>> level;
    level.reserve(count);
    // Leaves on a cubic lattice.
    uint32_t side = 1;
    while (side * side * side < count)
        ++side;
    const float step = extent / static_cast<float>(side);
    for (uint32_t i = 0; i < count; ++i) {
        Ptr<Triangles> leaf = new Triangles();
        leaf->SetVertices(prototype->Vertices());
        leaf->SetNormals(prototype->Normals());
        leaf->SetIndices(prototype->Indices());
        leaf->UpdateModelBound();
        const float x = static_cast<float>(i % side), y = static_cast<float>((i / side) % side),
                    z = static_cast<float>(i / (side * side));
        Place(*leaf, {x * step - extent / 2, y * step - extent / 2, z * step - extent / 2});
        level.push_back(leaf);
    }
    // Group them upward until one node remains.
    while (level.size() > 1 || !level.front()->IsDerivedFrom(&SceneNode::TYPE)) {
        std::vector<Ptr<Node>> next;
        for (size_t i = 0; i < level.size(); i += fanOut) {
            Ptr<SceneNode> group = new SceneNode();
            for (size_t j = i; j < std::min(level.size(), i + fanOut); ++j)
                (void)group->AttachChild(level[j].Get());
            next.push_back(group);
        }
        level.swap(next);
    }
    return Ptr<SceneNode>(static_cast<SceneNode*>(level.front().Get()));
}

}  // namespace zen::test
