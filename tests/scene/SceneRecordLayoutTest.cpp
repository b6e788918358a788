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

    Bytes expected;
    PutHeader(expected, *root, "ZEN.SceneNode");
    PutNode(expected, kNull, Transform{}, true);
    PutInt(expected, 0);  // Effects.
    PutInt(expected, 2);  // Slots, the empty one included.
    PutInt(expected, 2);  // Growth increment.
    PutHeader(expected, *sun, "ZEN.Light");
    PutNode(expected, root->ID(), Placed(), false);
    PutInt(expected, Light::kSpot);
    PutFloats(expected, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f, 1.1f, 1.2f});
    PutFloats(expected, {1.5f, 0.25f, 0.125f});
    expected.push_back(1);  // Attenuation enabled.
    PutFloats(expected, {2.5f, 0.75f});
    PutInt(expected, kNull);  // The empty slot.
    ASSERT_EQ(Written(root.Get()), expected);

    Ptr<Object> loaded = ReadFrom(expected);
    ASSERT_NE(loaded, nullptr);
    auto* scene = static_cast<SceneNode*>(loaded.Get());
    ASSERT_EQ(scene->ChildCount(), 2u);
    EXPECT_EQ(scene->GetChild(1), nullptr);
    auto* light = static_cast<Light*>(scene->GetChild(0));
    ASSERT_TRUE(light->IsExactly(&Light::TYPE));
    EXPECT_EQ(light->Parent(), scene);
    EXPECT_FALSE(light->UpdatesWorldBound());
    EXPECT_EQ(light->LocalTransform().translation, (Vector3{4, 5, 6}));
    EXPECT_EQ(light->Specular(), (Vector4{0.9f, 1.0f, 1.1f, 1.2f}));
    EXPECT_EQ(light->Attenuation(), (Vector3{1.5f, 0.25f, 0.125f}));
    EXPECT_TRUE(light->AttenuationEnabled());
    EXPECT_EQ(light->Falloff(), 2.5f);
    EXPECT_EQ(light->SpotAngle(), 0.75f);
}

TEST_F(SceneRecordLayout, CamerasWriteTheirParametersAfterTheNode)
{
    Ptr<FPCamera> eye = new FPCamera();
    eye->SetName(String("Eye"));
    eye->SetFrustum(1.25f, 0.5f, 750.0f);
    eye->SetParameters(7.0f, 9.0f, true);
    Bytes expected;
    PutHeader(expected, *eye, "ZEN.FPCamera");
    PutNode(expected, kNull, Transform{}, true);
    PutFloats(expected, {1.25f, 0.5f, 750.0f, 7.0f, 9.0f});
    expected.push_back(1);
    ASSERT_EQ(Written(eye.Get()), expected);

    Ptr<Object> loaded = ReadFrom(expected);
    ASSERT_NE(loaded, nullptr);
    auto* back = static_cast<FPCamera*>(loaded.Get());
    EXPECT_EQ(back->Fov(), 1.25f);
    EXPECT_EQ(back->Near(), 0.5f);
    EXPECT_EQ(back->Far(), 750.0f);
    EXPECT_EQ(back->FirstParameter(), 7.0f);
    EXPECT_EQ(back->SecondParameter(), 9.0f);
    EXPECT_TRUE(back->Flag());
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

    Bytes expected;
    PutHeader(expected, *mesh, "ZEN.Triangles");
    PutNode(expected, kNull, Transform{}, true);
    PutInt(expected, kNull);  // Effect.
    PutHeader(expected, *vertices, "ZEN.Vector3Buffer");
    PutInt(expected, 2);
    PutFloats(expected, {1, 2, 3, -4, 5, 0.5f});
    PutInt(expected, kNull);           // Point sizes.
    PutInt(expected, kNull);           // Colours.
    PutInt(expected, vertices->ID());  // Normals.
    PutInt(expected, kNull);           // Tangents.
    PutHeader(expected, *uv, "ZEN.Vector2Buffer");
    PutInt(expected, 2);
    PutFloats(expected, {0.25f, 0.75f, 1, 0});
    PutInt(expected, kNull);
    PutInt(expected, kNull);
    PutHeader(expected, *shade, "ZEN.FloatBuffer");
    PutInt(expected, 2);
    PutFloats(expected, {3.5f, -1});
    for (int set = 4; set < 8; ++set)
        PutInt(expected, kNull);
    PutHeader(expected, *indices, "ZEN.IntBuffer");
    PutInt(expected, 3);
    for (const uint32_t index : {0u, 1u, 1u})
        PutInt(expected, index);
    PutInt(expected, 0);  // Local bound: a sphere, computed again when loaded.
    ASSERT_EQ(Written(mesh.Get()), expected);

    Ptr<Object> loaded = ReadFrom(expected);
    ASSERT_NE(loaded, nullptr);
    auto* back = static_cast<Triangles*>(loaded.Get());
    ASSERT_NE(back->Vertices(), nullptr);
    EXPECT_EQ(back->Normals(), back->Vertices());
    EXPECT_EQ(back->TexCoords(0)->GetCount(), 2u);
    EXPECT_TRUE(back->TexCoords(3)->IsExactly(&FloatBuffer::TYPE));
    EXPECT_EQ(back->TexCoords(1), nullptr);
    EXPECT_EQ(back->Indices()->GetCount(), 3u);
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
