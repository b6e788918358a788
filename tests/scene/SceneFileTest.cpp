#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/SceneLoader.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/vfs/File.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/STRSceneCodec.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/SceneBuilder.h"
#include "support/TempFolder.h"
#include "support/TestClasses.h"

namespace zen {
namespace {

using Bytes = std::vector<uint8_t>;

using test::ByteStream;

class SceneFile : public ::testing::Test {
protected:
    SceneFile()
    {
        EXPECT_EQ(ModuleManager::LoadModule(String("STRSceneCodec")), kSuccess);
        Codec* found = nullptr;
        EXPECT_EQ(CodecManager::LoadCodec(String("STRSceneCodec"), &found), kSuccess);
        codec = static_cast<STRSceneCodec*>(found);
    }

    // The scene file's bytes, written by the codec to disk.
    Bytes Save(Object* root)
    {
        const std::string path = folder.Path("scene.STR");
        {
            File file{String(path)};
            EXPECT_EQ(codec->Save(&file, root), kSuccess);
        }
        std::ifstream in(path, std::ios::binary);
        return Bytes((std::istreambuf_iterator<char>(in)), {});
    }

    // Loads scene bytes the way the program loads Main.STR (a memory file in the tree).
    Result Load(const Bytes& bytes, Ptr<Object>& root)
    {
        MemoryFile file{String("Main.STR")};
        EXPECT_EQ(file.CopyData(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
        Object* loaded = nullptr;
        const Result result = LoadScene(&file, &loaded);
        root = loaded;
        return result;
    }

    template <class T>
    T* Find(Object* root, const char* name)
    {
        Object* found = root->FindByName(String(name));
        EXPECT_NE(found, nullptr) << name;
        EXPECT_TRUE(found && found->IsExactly(&T::TYPE)) << name;
        return static_cast<T*>(found);
    }

    test::EngineScope engine;
    STRSceneCodec* codec = nullptr;
    test::TempFolder folder;
};

void ExpectSameBuffer(const Buffer* a, const Buffer* b)
{
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->GetRtti(), b->GetRtti());
    EXPECT_EQ(a->Name(), b->Name());
    ASSERT_EQ(a->GetDataSize(), b->GetDataSize());
    EXPECT_EQ(std::memcmp(a->GetData(), b->GetData(), a->GetDataSize()), 0);
}

TEST_F(SceneFile, EveryClassRoundTripsWithItsTreeFieldsAndSharing)
{
    test::SampleScene original = test::BuildSampleScene();
    const Bytes bytes = Save(original.root.Get());
    Ptr<Object> loaded;
    ASSERT_EQ(Load(bytes, loaded), kSuccess);
    ASSERT_TRUE(loaded->IsExactly(&SceneNode::TYPE));
    auto* root = static_cast<SceneNode*>(loaded.Get());
    EXPECT_EQ(root->Name(), String("Root"));
    EXPECT_EQ(root->Parent(), nullptr);
    ASSERT_EQ(root->ChildCount(), original.root->ChildCount());
    for (uint32_t i = 0; i < root->ChildCount(); ++i) {
        EXPECT_EQ(root->GetChild(i)->Name(), original.root->GetChild(i)->Name());
        EXPECT_EQ(root->GetChild(i)->GetRtti(), original.root->GetChild(i)->GetRtti());
        EXPECT_EQ(root->GetChild(i)->Parent(), root);
    }
    EXPECT_EQ(root->ChildIncrement(), original.root->ChildIncrement());

    auto* group = Find<SceneNode>(root, "Group");
    ASSERT_EQ(group->ChildCount(), 4u);
    EXPECT_EQ(group->GetChild(2), nullptr);  // The empty slot survives.
    EXPECT_EQ(group->LocalTransform().translation, (Vector3{0, 0, 10}));
    EXPECT_FALSE(group->LocalTransform().isIdentity);

    auto* quad = Find<Triangles>(root, "Quad");
    auto* twin = Find<Triangles>(root, "Twin");
    EXPECT_EQ(quad->Parent(), group);
    ExpectSameBuffer(quad->Vertices(), original.quad->Vertices());
    ExpectSameBuffer(quad->Normals(), original.quad->Normals());
    ExpectSameBuffer(quad->Tangents(), original.quad->Tangents());
    ExpectSameBuffer(quad->Colors(), original.quad->Colors());
    ExpectSameBuffer(quad->Indices(), original.quad->Indices());
    ExpectSameBuffer(quad->TexCoords(0), original.quad->TexCoords(0));
    ExpectSameBuffer(quad->TexCoords(2), original.quad->TexCoords(2));
    EXPECT_EQ(quad->TexCoords(1), nullptr);
    // Shared buffers are shared again, not copied.
    EXPECT_EQ(twin->Vertices(), quad->Vertices());
    EXPECT_EQ(twin->Indices(), quad->Indices());
    EXPECT_EQ(twin->LocalTransform().scale, (Vector3{2, 2, 2}));
    // The local bound is computed from the vertices at load; the world bound waits for an update.
    EXPECT_FLOAT_EQ(static_cast<SphereBoundingVolume*>(quad->LocalBound())->Radius(), std::sqrt(2.0f));
    EXPECT_EQ(static_cast<SphereBoundingVolume*>(quad->WorldBound())->Radius(), 0);

    auto* sparks = Find<Points>(root, "Sparks");
    ExpectSameBuffer(sparks->PointSizes(), original.sparks->PointSizes());
    ExpectSameBuffer(sparks->TexCoords(1), original.sparks->TexCoords(1));
    EXPECT_EQ(Find<Lines>(root, "Grid")->Indices()->GetCount(), 8u);
    EXPECT_EQ(Find<StripLines>(root, "Path")->Vertices()->GetCount(), 4u);

    // Their own fields are checked with the record layouts; here that they are found again.
    auto* camera = Find<Camera>(root, "Camera");
    EXPECT_EQ(camera->Projection(), Matrix4::Identity());  // Until the next update.
    auto* eye = Find<FPCamera>(root, "Eye");
    EXPECT_EQ(eye->LocalTransform().rotation, original.eye->LocalTransform().rotation);
    Find<Light>(root, "Sun");

    // After an update the loaded scene has the original's bounds and camera planes.
    root->UpdateState(0, true);
    camera->UpdateMatrices(4.0f / 3.0f);
    original.camera->UpdateMatrices(4.0f / 3.0f);
    EXPECT_EQ(root->WorldBound()->GetCenter(), original.root->WorldBound()->GetCenter());
    EXPECT_EQ(camera->ViewProjection(), original.camera->ViewProjection());

    // And saving it again gives the same bytes (IDs aside, which differ per run).
    const Bytes again = Save(root);
    EXPECT_EQ(again.size(), bytes.size());
}

TEST_F(SceneFile, ControllersKeepTheirOrderAcrossSaveAndLoad)
{
    std::string journal;
    Ptr<SceneNode> root = new SceneNode();
    ASSERT_EQ(root->SetController(new test::TestController(String("A"), &journal)), kSuccess);
    ASSERT_EQ(root->SetController(new test::TestController(String("B"), &journal)), kSuccess);
    Ptr<Object> loaded;
    ASSERT_EQ(Load(Save(root.Get()), loaded), kSuccess);
    EXPECT_EQ(loaded->GetController(0)->Name(), String("B"));
    EXPECT_EQ(loaded->GetController(1)->Name(), String("A"));
}

// --- Damaged files ---------------------------------------------------------------------------

// Little-endian writer for hand-made records.
struct Writer {
    Bytes bytes;
    Writer& U32(uint32_t value)
    {
        test::PutInt(bytes, value);
        return *this;
    }
    Writer& F32(float value)
    {
        test::PutFloat(bytes, value);
        return *this;
    }
    Writer& Str(const std::string& text)
    {
        test::PutString(bytes, text);
        return *this;
    }
    Writer& Byte(uint8_t value)
    {
        bytes.push_back(value);
        return *this;
    }
    // The start of a new object record: ID, type, name, no controllers.
    Writer& Record(uint32_t id, const std::string& type, const std::string& name)
    {
        return U32(id).Str(type).Str(name).U32(0);
    }
    // Node fields: parent link, identity transform, sphere bound, update flag.
    Writer& NodeFields(uint32_t parent = 0xFFFFFFFF)
    {
        U32(parent).F32(1).F32(1).F32(1).F32(0).F32(0).F32(0).F32(1).F32(0).F32(0).F32(0);
        return U32(0).Byte(1);
    }
};

TEST_F(SceneFile, EveryTruncationFailsCleanly)
{
    test::SampleScene scene = test::BuildSampleScene();
    const Bytes bytes = Save(scene.root.Get());
    // Every prefix short of the whole file fails (the last record field ends the file) and
    // leaves nothing behind; ASan checks the reads and frees.
    for (size_t length = 0; length < bytes.size(); length += (length < 400 ? 1 : 7)) {
        Ptr<Object> root;
        EXPECT_NE(Load(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(length)), root), kSuccess) << length;
        EXPECT_EQ(root, nullptr);
    }
}

TEST_F(SceneFile, FlippedBytesNeverCrash)
{
    test::SampleScene scene = test::BuildSampleScene();
    const Bytes bytes = Save(scene.root.Get());
    uint32_t loadedAnyway = 0;
    for (size_t at = 12; at < bytes.size(); at += 3) {
        Bytes damaged = bytes;
        damaged[at] ^= 0xA5;
        Ptr<Object> root;
        if (Load(damaged, root) == kSuccess) {
            ++loadedAnyway;  // Damage inside float data loads; the graph must still be usable.
            if (root->IsDerivedFrom(&Node::TYPE))
                static_cast<Node*>(root.Get())->UpdateState(0, true);
        }
    }
    EXPECT_GT(loadedAnyway, 0u);
}

// Records whose counts or links cannot hold: each is refused with its line, and nothing is made
// (a buffer count beyond the bytes left is refused before allocating).
TEST_F(SceneFile, RecordsThatCannotHoldAreRefused)
{
    const struct {
        const char* what;
        void (*write)(Writer& w);
        const char* line;
    } cases[] = {
        {"a count beyond the bytes left",
         [](Writer& w) { w.Record(1, "ZEN.Vector4Buffer", "Huge").U32(0x7FFFFFFF).F32(1).F32(2); },
         "Невозможно загрузить данные буффера. ID["},
        {"a negative count", [](Writer& w) { w.Record(1, "ZEN.IntBuffer", "Minus").U32(0xFFFFFFFF); },
         "Невозможно загрузить количество данных буффера. ID["},
        {"a node that is its own child",
         [](Writer& w) { w.Record(1, "ZEN.SceneNode", "Root").NodeFields().U32(0).U32(1).U32(2).U32(1); },
         "Невозможно загрузить дочерний узел. ID["},
        {"a child whose child is its parent",
         [](Writer& w) {
             w.Record(1, "ZEN.SceneNode", "Root").NodeFields().U32(0).U32(1).U32(2);
             w.Record(2, "ZEN.SceneNode", "A").NodeFields(1).U32(0).U32(1).U32(2).U32(1);
         },
         "Невозможно загрузить дочерний узел. ID["},
        {"a parent link to a buffer",
         [](Writer& w) { w.Record(1, "ZEN.SceneNode", "Root").U32(2).Str("ZEN.IntBuffer").Str("B").U32(0).U32(0); },
         "Невозможно загрузить родителя. ID["},
        {"an effect that is a node",
         [](Writer& w) {
             w.Record(1, "ZEN.SceneNode", "Root").NodeFields().U32(1).Record(2, "ZEN.SceneNode", "NotAnEffect");
             w.NodeFields().U32(0).U32(0).U32(2).U32(0).U32(2);
         },
         "Невозможно загрузить эффект. ID["},
        {"texture coordinates in a colour buffer",
         [](Writer& w) {
             w.Record(1, "ZEN.Triangles", "Mesh").NodeFields();
             for (int i = 0; i < 6; ++i)
                 w.U32(0xFFFFFFFF);
             w.Record(2, "ZEN.ColorBuffer", "Colours").U32(0);
         },
         "Невозможно загрузить текстурные координаты. ID["},
        {"an unknown bound kind",
         [](Writer& w) {
             w.Record(1, "ZEN.Camera", "Cam").NodeFields();
             w.bytes[w.bytes.size() - 5] = 7;  // The bound kind.
             w.F32(1).F32(1).F32(100);
         },
         "Невозможно загрузить тип окружающего объёма. ID["},
    };
    for (const auto& c : cases) {
        Writer w;
        c.write(w);
        ByteStream stream(w.bytes);
        test::LogCapture log;
        Object* object = nullptr;
        EXPECT_EQ(stream.ReadObject(&object), kFailure) << c.what;
        EXPECT_EQ(object, nullptr) << c.what;
        EXPECT_TRUE(log.ContainsText(c.line)) << c.what << "\n" << log.Joined();
    }
}

TEST_F(SceneFile, TheHoldingSceneNodeBecomesTheParentWhateverTheStoredLinkSays)
{
    // Root (1) holds A (2) and B (3); B's stored parent is A, but Root holds it.
    Writer w;
    w.Record(1, "ZEN.SceneNode", "Root").NodeFields().U32(0).U32(2).U32(2);
    w.Record(2, "ZEN.SceneNode", "A").NodeFields(1).U32(0).U32(0).U32(2);
    w.Record(3, "ZEN.SceneNode", "B").NodeFields(2).U32(0).U32(0).U32(2);
    ByteStream stream(w.bytes);
    Object* object = nullptr;
    ASSERT_EQ(stream.ReadObject(&object), kSuccess);
    Ptr<Object> root(object);
    auto* scene = static_cast<SceneNode*>(object);
    ASSERT_EQ(scene->ChildCount(), 2u);
    EXPECT_EQ(scene->GetChild(0)->Parent(), scene);
    EXPECT_EQ(scene->GetChild(1)->Parent(), scene);
}

}  // namespace
}  // namespace zen
