#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/modules/CodecManager.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "platform/PosixTestHooks.h"
#include "support/EngineScope.h"
#include "support/FileText.h"
#include "support/FakeArchiveCodec.h"
#include "support/LogCapture.h"

namespace zen {
namespace {

constexpr int kMediaResource = 9227;
constexpr int kMissingResource = 9228;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

class FileManagerTest : public ::testing::Test {
protected:
    FileManagerTest()
    {
        EXPECT_EQ(test::FakeArchiveCodec::Install(), kSuccess);
        codec = static_cast<test::FakeArchiveCodec*>(CodecManager::FindCodec(String(test::FakeArchiveCodec::kName)));
    }
    ~FileManagerTest() override
    {
        platform::posix::RemoveMediaResource(kMediaResource);
        platform::posix::RemoveMediaResource(kMissingResource);
    }

    test::EngineScope engine;
    test::FakeArchiveCodec* codec = nullptr;
};

TEST_F(FileManagerTest, AnAttachedResourceBecomesADirectoryUnderTheRoot)
{
    ASSERT_NE(codec, nullptr);
    platform::posix::SetMediaResource(kMediaResource, Bytes("Scenes\\Main.STR:scene bytes\n"
                                                             "Tex\\Walls\\brick.bmp:BM\n"
                                                             "logo.bmp:logo\n"));
    test::LogCapture log;
    ASSERT_EQ(FileManager::AttachResource(kMediaResource, String("Media.fake"), String("secret")), kSuccess);
    EXPECT_EQ(codec->lastPassword, String("secret"));
    EXPECT_TRUE(log.Contains("INFO. Директория [Media.fake] добавлена к директории [].")) << log.Joined();
    EXPECT_TRUE(log.Contains("INFO. Удаляется файл [Media.fake].")) << log.Joined();  // The wrapper goes.

    Directory* root = FileManager::Root();
    ASSERT_EQ(root->DirectoryCount(), 1u);
    EXPECT_EQ(root->GetDirectory(0)->Name(), String("Media.fake"));
    EXPECT_EQ(root->FileCount(), 0u);

    // The archive's tree is searched as any directory is (paths and bare names).
    File* scene = FileManager::FindFile(String("Main.STR"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->GetPath(), String("Media.fake/Scenes/Main.STR"));
    EXPECT_EQ(test::FileText(scene), "scene bytes");
    EXPECT_EQ(FileManager::FindFile(String("Tex\\Walls\\brick.bmp")), FileManager::FindFile(String("brick.bmp")));

    // The memory files keep the codec's module.
    EXPECT_EQ(static_cast<MemoryFile*>(scene)->OwnerModule(), codec->GetModule());
}

TEST_F(FileManagerTest, ResourceBytesAreReadInPlaceAndLeftAlone)
{
    platform::posix::SetMediaResource(kMediaResource, Bytes("a.txt:A\n"));
    const void* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(FileManager::LoadResourceData(kMediaResource, &data, &size), kSuccess);
    ASSERT_EQ(size, 8u);
    ASSERT_EQ(FileManager::AttachResource(kMediaResource, String("One.fake"), String()), kSuccess);
    // Attaching again under another name reads the same, untouched bytes (they were not freed).
    ASSERT_EQ(FileManager::AttachResource(kMediaResource, String("Two.fake"), String()), kSuccess);
    EXPECT_EQ(std::memcmp(data, "a.txt:A\n", 8), 0);
    EXPECT_EQ(FileManager::Root()->DirectoryCount(), 2u);
    EXPECT_EQ(test::FileText(FileManager::FindFile(String("a.txt"))), "A");
}

TEST_F(FileManagerTest, MissingAndUnloadableResources)
{
    test::LogCapture log;
    EXPECT_EQ(FileManager::AttachResource(kMissingResource, String("Gone.fake"), String()), kFailure);
    platform::posix::SetResourceUnloadable(kMissingResource, true);
    EXPECT_EQ(FileManager::AttachResource(kMissingResource, String("Stuck.fake"), String()), kFailure);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "ERROR. Невозможно найти ресурс ID[9228].",
                               "WARNING. Невозможно прочитать ресурс ID[9228] Имя[Gone.fake].",
                               "ERROR. Невозможно загрузить ресурс ID[9228].",
                               "WARNING. Невозможно прочитать ресурс ID[9228] Имя[Stuck.fake].",
                           }));
    log.Clear();
    uint32_t size = 0;
    EXPECT_EQ(FileManager::LoadResourceData(kMissingResource, nullptr, &size), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"ERROR. Указатель на данные ресурса равен 0."}));
    EXPECT_EQ(FileManager::Root()->DirectoryCount(), 0u);
}

TEST_F(FileManagerTest, ArchivesWithoutACodecOrWithAFailingOne)
{
    test::LogCapture log;
    EXPECT_EQ(FileManager::AttachArchive(nullptr, String()), kInvalidArgument);
    MemoryFile rar(String("Media.rar"));
    ASSERT_EQ(rar.CopyData("x", 1), kSuccess);
    EXPECT_EQ(FileManager::AttachArchive(&rar, String()), kInvalidArgument);
    MemoryFile broken(String("Broken.fake"));
    ASSERT_EQ(broken.CopyData("a:b\n!fail\n", 10), kSuccess);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "WARNING. Указатель на архив равен 0.",
                               "WARNING. Не найден кодек для архива [Media.rar].",
                           }));
    EXPECT_EQ(FileManager::AttachArchive(&broken, String()), kFailure);
    EXPECT_EQ(log.Lines().back(), "ERROR. Невозможно загрузить директорию из архива [Broken.fake].");
    EXPECT_EQ(FileManager::Root()->DirectoryCount(), 0u);
}

TEST_F(FileManagerTest, OnlyAnArchiveCodecIsAskedForADirectory)
{
    // "STR" belongs to the scene codec: it accepts the extension but builds no directories.
    ASSERT_EQ(CodecManager::LoadCodec(String("STRSceneCodec")), kSuccess);
    MemoryFile scene(String("Main.STR"));
    ASSERT_EQ(scene.CopyData("\0\0\0\0", 4), kSuccess);
    test::LogCapture log;
    EXPECT_EQ(FileManager::AttachArchive(&scene, String()), kInvalidArgument);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{"WARNING. Не найден кодек для архива [Main.STR]."}));
}

TEST_F(FileManagerTest, FilesAttachedToTheRootItselfAreNotSearched)
{
    auto* loose = new MemoryFile(String("loose.txt"));
    ASSERT_EQ(FileManager::Root()->AttachFile(loose), kSuccess);
    EXPECT_EQ(FileManager::FindFile(String("loose.txt")), nullptr);
    EXPECT_EQ(FileManager::Root()->FindFile(String("loose.txt")), loose);
}

TEST(FileManager, StartAndStopLines)
{
    test::LogCapture log;
    ASSERT_EQ(FileManager::Root(), nullptr);
    EXPECT_EQ(FileManager::Initialize(), kSuccess);
    ASSERT_NE(FileManager::Root(), nullptr);
    (void)new Directory(String("Data"), FileManager::Root());
    EXPECT_EQ(FileManager::Terminate(), kSuccess);
    EXPECT_EQ(FileManager::Root(), nullptr);
    EXPECT_EQ(FileManager::FindFile(String("x")), nullptr);
    EXPECT_EQ(log.Lines(), (std::vector<std::string>{
                               "INFO. Инициализация менеджера файлов.",
                               "INFO. Менеджер файлов инициализирован.",
                               "INFO. Директория [Data] добавлена к директории [].",
                               "INFO. Завершение работы менеджера файлов.",
                               "INFO. Удаляется директория [].",
                               "INFO. Удаляется директория [Data].",
                               "INFO. Директория удалена [Data].",
                               "INFO. Директория удалена [].",
                               "INFO. Менеджер файлов завершил работу.",
                           }));
}

}  // namespace
}  // namespace zen
