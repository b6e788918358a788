#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/modules/SceneLoader.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/File.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/STRSceneCodec.h"
#include "support/EngineScope.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/TestClasses.h"

namespace zen {
namespace {

using test::PutInt;
using test::PutString;
using test::Thing;

// A scene file of the given version whose root is a Thing called "Root" with value 7.
std::vector<uint8_t> SceneBytes(int32_t major, int32_t minor, int32_t release)
{
    std::vector<uint8_t> bytes;
    PutInt(bytes, static_cast<uint32_t>(major));
    PutInt(bytes, static_cast<uint32_t>(minor));
    PutInt(bytes, static_cast<uint32_t>(release));
    PutInt(bytes, 40);  // File ID.
    PutString(bytes, "ZEN.Thing");
    PutString(bytes, "Root");
    PutInt(bytes, 0);           // Controllers.
    PutInt(bytes, 7);           // value
    PutInt(bytes, 0xFFFFFFFF);  // child
    PutInt(bytes, 0xFFFFFFFF);  // link
    return bytes;
}

MemoryFile* SceneFile(const char* name, const std::vector<uint8_t>& bytes)
{
    auto* file = new MemoryFile(String(name));
    EXPECT_EQ(file->CopyData(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    return file;
}

class STRSceneCodecTest : public ::testing::Test {
protected:
    STRSceneCodecTest()
    {
        EXPECT_EQ(ModuleManager::LoadModule(String("STRSceneCodec")), kSuccess);
        Codec* found = nullptr;
        EXPECT_EQ(CodecManager::LoadCodec(String("STRSceneCodec"), &found), kSuccess);
        codec = static_cast<STRSceneCodec*>(found);
    }

    // Loads through LoadScene, adopting the root.
    Result Load(File* file, Ptr<Object>& root)
    {
        Object* loaded = nullptr;
        const Result result = LoadScene(file, &loaded);
        root = loaded;
        return result;
    }

    test::EngineScope engine;
    STRSceneCodec* codec = nullptr;
};

TEST(STRSceneCodecVersion, NumbersBelowTheEngineVersionAreRefused)
{
    EXPECT_FALSE(STRSceneCodec::IsVersionSupported(0, 1, 1));
    EXPECT_TRUE(STRSceneCodec::IsVersionSupported(0, 1, 2));
    EXPECT_TRUE(STRSceneCodec::IsVersionSupported(1, 0, 0));
    EXPECT_TRUE(STRSceneCodec::IsVersionSupported(0, 0, 102));  // Only the combined number counts.
    EXPECT_FALSE(STRSceneCodec::IsVersionSupported(-1, 5, 0));
    // The number is computed in 32 bits: 214749 * 10000 passes 2^31 and turns negative.
    EXPECT_TRUE(STRSceneCodec::IsVersionSupported(214748, 0, 0));
    EXPECT_FALSE(STRSceneCodec::IsVersionSupported(214749, 0, 0));
}

TEST_F(STRSceneCodecTest, OldVersionsAreRefusedBeforeAnyObjectIsRead)
{
    MemoryFile* old = SceneFile("Old.STR", SceneBytes(0, 1, 1));
    test::LogCapture log;
    Object* root = nullptr;
    EXPECT_EQ(codec->Load(old, &root), kFailure);
    EXPECT_EQ(root, nullptr);
    EXPECT_TRUE(log.Lines().empty()) << log.Joined();  // The codec itself says nothing.
    EXPECT_FALSE(old->IsOpen());
    Ptr<Object> scene;
    EXPECT_EQ(Load(old, scene), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"ERROR. Неудачна загрузка сцены из файла [Old.STR]."}));
    delete old;

    for (auto version : {SceneBytes(0, 1, 2), SceneBytes(1, 0, 0)}) {
        MemoryFile* current = SceneFile("Current.STR", version);
        ASSERT_EQ(Load(current, scene), kSuccess);
        ASSERT_TRUE(scene);
        EXPECT_EQ(scene->GetRtti()->Name(), String("ZEN.Thing"));
        EXPECT_EQ(scene->Name(), String("Root"));
        EXPECT_EQ(static_cast<Thing*>(scene.Get())->value, 7);
        delete current;
    }
}

TEST_F(STRSceneCodecTest, WritesTheVersionHeaderAndOneObjectRecord)
{
    std::string pattern = ::testing::TempDir() + "zen_str_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Directory folder{String(pattern)};
    auto* file = new File(String("Small.STR"));
    ASSERT_EQ(folder.AttachFile(file), kSuccess);

    Ptr<Thing> root(new Thing(String("Root")));
    root->value = 7;
    ASSERT_EQ(codec->Save(file, root.Get()), kSuccess);
    std::vector<uint8_t> expected = SceneBytes(0, 1, 2);
    const uint32_t id = root->ID();
    std::memcpy(&expected[12], &id, 4);  // The file carries the object's run-time ID.

    ASSERT_EQ(file->Open(File::kRead), kSuccess);
    ASSERT_EQ(file->GetSize(), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(file->Data(), file->Data() + file->GetSize()), expected);
    ASSERT_EQ(file->Close(), kSuccess);
    std::remove(file->GetPath().CStr());
    rmdir(pattern.c_str());
}

TEST_F(STRSceneCodecTest, SaveRefusesNullArgumentsAndUnwritableFiles)
{
    Ptr<Thing> root(new Thing(String("Root")));
    MemoryFile memory(String("Memory.STR"));
    File nowhere(String("/nonexistent-folder/Scene.STR"));
    test::LogCapture log;
    EXPECT_EQ(codec->Save(nullptr, root.Get()), kFailure);
    EXPECT_EQ(codec->Save(&memory, nullptr), kFailure);
    EXPECT_EQ(codec->Save(&memory, root.Get()), kFailure);  // Memory files are read-only.
    EXPECT_EQ(codec->Save(&nowhere, root.Get()), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Невозможно открыть файл [/nonexistent-folder/Scene.STR]."}));
    Object* out = nullptr;
    EXPECT_EQ(codec->Load(nullptr, &out), kInvalidArgument);
    EXPECT_EQ(codec->Load(&memory, nullptr), kInvalidArgument);
}

// root -> a (child), root.link -> root; a -> b (child), a.link -> root; b.link -> a; one
// controller shared by root and b.
Ptr<Thing> MakeGraph()
{
    Ptr<Thing> root(new Thing(String("Root")));
    Ptr<Thing> a(new Thing(String("A")));
    Ptr<Thing> b(new Thing(String("B")));
    Ptr<test::TestController> shared(new test::TestController(String("Spin")));
    Ptr<test::TestController> own(new test::TestController(String("Own")));
    shared->SetActive(false);
    root->value = 1;
    a->value = 2;
    b->value = 3;
    root->child = a;
    root->link = root.Get();
    a->child = b;
    a->link = root.Get();
    b->link = a.Get();
    EXPECT_EQ(root->SetController(own.Get()), kSuccess);
    EXPECT_EQ(root->SetController(shared.Get()), kSuccess);
    EXPECT_EQ(b->SetController(shared.Get()), kSuccess);
    return root;
}

void ExpectSameShape(Object* loaded)
{
    ASSERT_NE(loaded, nullptr);
    ASSERT_TRUE(loaded->IsExactly(&Thing::TYPE));
    auto* root = static_cast<Thing*>(loaded);
    EXPECT_EQ(root->Name(), String("Root"));
    EXPECT_EQ(root->value, 1);
    EXPECT_EQ(root->link, root);
    Thing* a = root->child.Get();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->Name(), String("A"));
    EXPECT_EQ(a->value, 2);
    EXPECT_EQ(a->link, root);
    Thing* b = a->child.Get();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->value, 3);
    EXPECT_EQ(b->link, a);
    EXPECT_EQ(b->child.Get(), nullptr);
    ASSERT_EQ(root->ControllerCount(), 2u);
    EXPECT_EQ(root->GetController(0)->Name(), String("Spin"));  // Newest first, as saved.
    EXPECT_EQ(root->GetController(1)->Name(), String("Own"));
    EXPECT_FALSE(root->GetController(0)->IsActive());
    ASSERT_EQ(b->ControllerCount(), 1u);
    EXPECT_EQ(b->GetController(0), root->GetController(0));  // Shared, not copied.
}

TEST_F(STRSceneCodecTest, SharedObjectsAndCyclesRoundTripOnDiskAndInMemory)
{
    std::string pattern = ::testing::TempDir() + "zen_str_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Directory folder{String(pattern)};
    auto* disk = new File(String("Graph.STR"));
    ASSERT_EQ(folder.AttachFile(disk), kSuccess);
    {
        Ptr<Thing> graph = MakeGraph();
        ASSERT_EQ(codec->Save(disk, graph.Get()), kSuccess);
    }

    Ptr<Object> fromDisk;
    ASSERT_EQ(Load(disk, fromDisk), kSuccess);
    ExpectSameShape(fromDisk.Get());

    // The same bytes from a memory file, as the scene comes out of an archive.
    ASSERT_EQ(disk->Open(File::kRead), kSuccess);
    MemoryFile* memory = new MemoryFile(String("Graph.STR"));
    ASSERT_EQ(memory->CopyData(disk->Data(), disk->GetSize()), kSuccess);
    ASSERT_EQ(disk->Close(), kSuccess);
    Ptr<Object> fromMemory;
    ASSERT_EQ(Load(memory, fromMemory), kSuccess);
    ExpectSameShape(fromMemory.Get());
    EXPECT_NE(fromMemory.Get(), fromDisk.Get());
    delete memory;

    std::remove(disk->GetPath().CStr());
    rmdir(pattern.c_str());
}

TEST_F(STRSceneCodecTest, TruncatedScenesFailAtEveryLength)
{
    std::vector<uint8_t> whole = SceneBytes(0, 1, 2);
    for (size_t length = 0; length < whole.size(); ++length) {
        MemoryFile* cut = SceneFile("Cut.STR", std::vector<uint8_t>(whole.begin(), whole.begin() + length));
        Ptr<Object> scene;
        EXPECT_EQ(Load(cut, scene), kFailure) << length;
        EXPECT_FALSE(scene) << length;
        EXPECT_FALSE(cut->IsOpen());
        delete cut;
    }
}

TEST_F(STRSceneCodecTest, LoadSceneNeedsAFileAndASceneCodec)
{
    test::LogCapture log;
    Object* out = nullptr;
    MemoryFile text(String("notes.txt"));
    ASSERT_EQ(text.CopyData("x", 1), kSuccess);
    EXPECT_EQ(LoadScene(nullptr, &out), kInvalidArgument);
    EXPECT_EQ(LoadScene(&text, nullptr), kInvalidArgument);
    EXPECT_EQ(LoadScene(&text, &out), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Указатель на файл или сцену равен 0.",
                               "WARNING. Указатель на файл или сцену равен 0.",
                               "WARNING. Не найден кодек для файла [notes.txt].",
                           }));
}

TEST_F(STRSceneCodecTest, ASceneWhoseRootIsNullIsAFailure)
{
    std::vector<uint8_t> bytes;
    PutInt(bytes, 0);
    PutInt(bytes, 1);
    PutInt(bytes, 2);
    PutInt(bytes, 0xFFFFFFFF);
    MemoryFile* empty = SceneFile("Empty.STR", bytes);
    Object* root = reinterpret_cast<Object*>(1);
    EXPECT_EQ(codec->Load(empty, &root), kSuccess);  // The codec reads what is there...
    EXPECT_EQ(root, nullptr);
    test::LogCapture log;
    Ptr<Object> scene;
    EXPECT_EQ(Load(empty, scene), kFailure);  // ...but there is no scene to give the caller.
    EXPECT_EQ(log.Lines().back(), "ERROR. Неудачна загрузка сцены из файла [Empty.STR].");
    delete empty;
}

}  // namespace
}  // namespace zen
