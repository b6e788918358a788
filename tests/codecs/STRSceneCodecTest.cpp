#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/SceneLoader.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/File.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/STRSceneCodec.h"
#include "support/EngineScope.h"
#include "support/LoadedCodec.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/TempFolder.h"
#include "support/TestClasses.h"

namespace zen::test {
namespace {

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

std::unique_ptr<MemoryFile> SceneFile(const char* name, const std::vector<uint8_t>& bytes)
{
    auto file = std::make_unique<MemoryFile>(String(name));
    EXPECT_EQ(file->CopyData(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
    return file;
}

class STRSceneCodecTest : public ::testing::Test {
protected:
    // Loads through LoadScene, adopting the root.
    Result Load(File* file, Ptr<Object>& root)
    {
        Object* loaded = nullptr;
        const Result result = LoadScene(file, &loaded);
        root = loaded;
        return result;
    }

    test::EngineScope engine;
    STRSceneCodec* codec = static_cast<STRSceneCodec*>(test::LoadedCodec("STRSceneCodec"));
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
    const std::unique_ptr<MemoryFile> old = SceneFile("Old.STR", SceneBytes(0, 1, 1));
    test::LogCapture log;
    Object* root = nullptr;
    EXPECT_EQ(codec->Load(old.get(), &root), kFailure);
    EXPECT_EQ(root, nullptr);
    EXPECT_TRUE(log.Lines().empty()) << log.Joined();  // The codec itself says nothing.
    EXPECT_FALSE(old->IsOpen());
    Ptr<Object> scene;
    EXPECT_EQ(Load(old.get(), scene), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"ERROR. Неудачна загрузка сцены из файла [Old.STR]."}));

    for (auto version : {SceneBytes(0, 1, 2), SceneBytes(1, 0, 0)}) {
        ASSERT_EQ(Load(SceneFile("Current.STR", version).get(), scene), kSuccess);
        ASSERT_TRUE(scene);
        EXPECT_EQ(scene->GetRtti()->Name(), String("ZEN.Thing"));
        EXPECT_EQ(scene->Name(), String("Root"));
        EXPECT_EQ(static_cast<Thing*>(scene.Get())->value, 7);
    }
}

TEST_F(STRSceneCodecTest, WritesTheVersionHeaderAndOneObjectRecord)
{
    test::TempFolder scratch;
    Directory folder{String(scratch.Root().string())};
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
    const std::unique_ptr<MemoryFile> empty = SceneFile("Empty.STR", bytes);
    Object* root = reinterpret_cast<Object*>(1);
    EXPECT_EQ(codec->Load(empty.get(), &root), kSuccess);  // The codec reads what is there...
    EXPECT_EQ(root, nullptr);
    test::LogCapture log;
    Ptr<Object> scene;
    EXPECT_EQ(Load(empty.get(), scene), kFailure);  // ...but there is no scene to give the caller.
    EXPECT_EQ(log.Lines().back(), "ERROR. Неудачна загрузка сцены из файла [Empty.STR].");
}

}  // namespace
}  // namespace zen::test
