#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "support/EngineScope.h"
#include "support/RecordChecks.h"
#include "support/SceneBuilder.h"

// The exact bytes every scene-graph class writes. Scene files made by other tools are read with
// this layout, so a field moved, widened or dropped must fail here even when a save and load
// of our own still agree with each other.
namespace zen {
namespace {

using Bytes = std::vector<uint8_t>;
using test::PutFloat;
using test::PutInt;

constexpr uint32_t kNull = 0xFFFFFFFF;

void PutFloats(Bytes& bytes, std::initializer_list<float> values)
{
    for (const float value : values)
        PutFloat(bytes, value);
}

// The start of a new object record with no controllers.
void PutHeader(Bytes& bytes, const Object& object, const std::string& type)
{
    test::PutRecordHead(bytes, object.ID(), type, object.Name().Std());
}

// The node fields: parent link (a bare ID or null), the 40-byte transform, the sphere kind and
// the update-bound flag.
void PutNode(Bytes& bytes, uint32_t parent, const Transform& local, bool updateBound)
{
    PutInt(bytes, parent);
    PutFloats(bytes, {local.scale.x, local.scale.y, local.scale.z});
    PutFloats(bytes, {local.rotation.x, local.rotation.y, local.rotation.z, local.rotation.w});
    PutFloats(bytes, {local.translation.x, local.translation.y, local.translation.z});
    PutInt(bytes, 0);  // Sphere.
    bytes.push_back(updateBound ? 1 : 0);
}

Transform Placed()
{
    Transform t;
    t.SetScale({1, 2, 3});
    t.SetRotation({0, 0, 0.6f, 0.8f});
    t.SetTranslation({4, 5, 6});
    return t;
}

class SceneRecordLayout : public ::testing::Test {
protected:
    static Bytes Written(Object* object) { return test::SavedRecord(object); }

    static Ptr<Object> ReadFrom(const Bytes& bytes)
    {
        test::ByteStream reader(bytes);
        Object* loaded = nullptr;
        const Result result = reader.ReadObject(&loaded);
        EXPECT_EQ(reader.Position(), bytes.size()) << "every byte of the record is read";
        return Ptr<Object>(result == kSuccess ? loaded : nullptr);
    }

    test::EngineScope engine;
};

TEST_F(SceneRecordLayout, SceneNodeWithALightChildAndAnEmptySlot)
{
    Ptr<SceneNode> root = new SceneNode();
    root->SetName(String("Root"));
    Ptr<Light> sun = new Light(Light::kSpot);
    sun->SetName(String("Sun"));
    sun->SetLocalTransform(Placed());
    sun->SetUpdateWorldBound(false);
    sun->SetColors({0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f}, {0.9f, 1.0f, 1.1f, 1.2f});
    sun->SetAttenuation({1.5f, 0.25f, 0.125f}, true);
    sun->SetSpot(2.5f, 0.75f);
    ASSERT_EQ(root->AttachChild(sun.Get()), kSuccess);
    ASSERT_EQ(root->SetChild(1, nullptr), kSuccess);

    // The layout of a root and its light, with the IDs they hold (new ones once loaded).
    auto layout = [](const SceneNode& scene, const Light& light) {
        Bytes bytes;
        PutHeader(bytes, scene, "ZEN.SceneNode");
        PutNode(bytes, kNull, Transform{}, true);
        PutInt(bytes, 0);  // Effects.
        PutInt(bytes, 2);  // Slots, the empty one included.
        PutInt(bytes, 2);  // Growth increment.
        PutHeader(bytes, light, "ZEN.Light");
        PutNode(bytes, scene.ID(), Placed(), false);
        PutInt(bytes, Light::kSpot);
        PutFloats(bytes, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 1.1f, 1.2f});
        PutFloats(bytes, {1.5f, 0.25f, 0.125f});
        bytes.push_back(1);  // Attenuation enabled.
        PutFloats(bytes, {2.5f, 0.75f});
        PutInt(bytes, kNull);  // The empty slot.
        return bytes;
    };
    const Bytes expected = layout(*root, *sun);
    ASSERT_EQ(Written(root.Get()), expected);

    // Read back, every field went to its member: the copy writes the same layout.
    Ptr<Object> loaded = ReadFrom(expected);
    ASSERT_NE(loaded, nullptr);
    auto* scene = static_cast<SceneNode*>(loaded.Get());
    ASSERT_EQ(scene->ChildCount(), 2u);
    auto* light = static_cast<Light*>(scene->GetChild(0));
    ASSERT_TRUE(light->IsExactly(&Light::TYPE));
    EXPECT_EQ(light->Parent(), scene);
    EXPECT_EQ(Written(scene), layout(*scene, *light));
}

TEST_F(SceneRecordLayout, CamerasWriteTheirParametersAfterTheNode)
{
    Ptr<FPCamera> eye = new FPCamera();
    eye->SetName(String("Eye"));
    eye->SetFrustum(1.25f, 0.5f, 750.0f);
    eye->SetParameters(7.0f, 9.0f, true);
    auto layout = [](const FPCamera& camera) {
        Bytes bytes;
        PutHeader(bytes, camera, "ZEN.FPCamera");
        PutNode(bytes, kNull, Transform{}, true);
        PutFloats(bytes, {1.25f, 0.5f, 750.0f, 7.0f, 9.0f});
        bytes.push_back(1);
        return bytes;
    };
    ASSERT_EQ(Written(eye.Get()), layout(*eye));

    Ptr<Object> loaded = ReadFrom(layout(*eye));
    ASSERT_TRUE(loaded && loaded->IsExactly(&FPCamera::TYPE));
    EXPECT_EQ(Written(loaded.Get()), layout(static_cast<FPCamera&>(*loaded)));
}

TEST_F(SceneRecordLayout, GeometryLinksItsBuffersInTheirFixedOrder)
{
    Ptr<Triangles> mesh = new Triangles();
    mesh->SetName(String("Mesh"));
    Ptr<Vector3Buffer> vertices = test::MakeVector3Buffer({{1, 2, 3}, {-4, 5, 0.5f}});
    vertices->SetName(String("V"));
    Ptr<Vector2Buffer> uv = test::MakeVector2Buffer({{0.25f, 0.75f}, {1, 0}});
    uv->SetName(String("UV"));
    Ptr<FloatBuffer> shade = test::MakeFloatBuffer({3.5f, -1});
    shade->SetName(String("F"));
    Ptr<IntBuffer> indices = test::MakeIntBuffer({0, 1, 1});
    indices->SetName(String("I"));
    mesh->SetVertices(vertices.Get());
    mesh->SetNormals(vertices.Get());  // Shared: the second link is a bare ID.
    ASSERT_EQ(mesh->SetTexCoords(0, uv.Get()), kSuccess);
    ASSERT_EQ(mesh->SetTexCoords(3, shade.Get()), kSuccess);
    mesh->SetIndices(indices.Get());

    auto layout = [](const Triangles& geometry) {
        Bytes bytes;
        PutHeader(bytes, geometry, "ZEN.Triangles");
        PutNode(bytes, kNull, Transform{}, true);
        PutInt(bytes, kNull);  // Effect.
        PutHeader(bytes, *geometry.Vertices(), "ZEN.Vector3Buffer");
        PutInt(bytes, 2);
        PutFloats(bytes, {1, 2, 3, -4, 5, 0.5f});
        PutInt(bytes, kNull);                      // Point sizes.
        PutInt(bytes, kNull);                      // Colours.
        PutInt(bytes, geometry.Vertices()->ID());  // Normals.
        PutInt(bytes, kNull);                      // Tangents.
        PutHeader(bytes, *geometry.TexCoords(0), "ZEN.Vector2Buffer");
        PutInt(bytes, 2);
        PutFloats(bytes, {0.25f, 0.75f, 1, 0});
        PutInt(bytes, kNull);
        PutInt(bytes, kNull);
        PutHeader(bytes, *geometry.TexCoords(3), "ZEN.FloatBuffer");
        PutInt(bytes, 2);
        PutFloats(bytes, {3.5f, -1});
        for (int set = 4; set < 8; ++set)
            PutInt(bytes, kNull);
        PutHeader(bytes, *geometry.Indices(), "ZEN.IntBuffer");
        PutInt(bytes, 3);
        for (const uint32_t index : {0u, 1u, 1u})
            PutInt(bytes, index);
        PutInt(bytes, 0);  // Local bound: a sphere, computed again when loaded.
        return bytes;
    };
    ASSERT_EQ(Written(mesh.Get()), layout(*mesh));

    // Read back, the copy shares its normals with its vertices again and writes the same layout.
    Ptr<Object> loaded = ReadFrom(layout(*mesh));
    ASSERT_TRUE(loaded && loaded->IsExactly(&Triangles::TYPE));
    auto* back = static_cast<Triangles*>(loaded.Get());
    ASSERT_TRUE(back->Vertices() && back->TexCoords(0) && back->TexCoords(3) && back->Indices());
    EXPECT_EQ(Written(back), layout(*back));
    EXPECT_EQ(back->LocalBound()->GetCenter(), (Vector3{-1.5f, 3.5f, 1.75f}));
}

TEST_F(SceneRecordLayout, SphereAndColourBuffers)
{
    Ptr<SphereBoundingVolume> sphere = new SphereBoundingVolume({1.5f, -2, 8}, 0.25f);
    sphere->SetName(String("S"));
    Bytes expected;
    PutHeader(expected, *sphere, "ZEN.SphereBoundingVolume");
    PutFloats(expected, {1.5f, -2, 8, 0.25f});
    ASSERT_EQ(Written(sphere.Get()), expected);
    Ptr<Object> loaded = ReadFrom(expected);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(static_cast<SphereBoundingVolume*>(loaded.Get())->GetCenter(), (Vector3{1.5f, -2, 8}));
    EXPECT_EQ(static_cast<SphereBoundingVolume*>(loaded.Get())->Radius(), 0.25f);

    Ptr<ColorBuffer> colours = test::MakeColorBuffer({{0.5f, 0.25f, 1, 0}});
    Ptr<Vector4Buffer> wide = test::MakeVector4Buffer({{9, 8, 7, 6}});
    for (Buffer* buffer : std::initializer_list<Buffer*>{colours.Get(), wide.Get()}) {
        Bytes record;
        PutHeader(record, *buffer, buffer->GetRtti()->Name().Std());
        PutInt(record, 1);
        const auto* values = static_cast<const float*>(static_cast<const Buffer*>(buffer)->GetData());
        PutFloats(record, {values[0], values[1], values[2], values[3]});
        EXPECT_EQ(Written(buffer), record) << buffer->GetRtti()->Name().Std();
    }
}

}  // namespace
}  // namespace zen
