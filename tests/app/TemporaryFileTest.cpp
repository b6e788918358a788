#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/Saver.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/FileManager.h"
#include "engine/vfs/MemoryFile.h"
#include "platform/Platform.h"
#include "support/EngineScope.h"
#include "support/FileText.h"
#include "support/LogCapture.h"
#include "support/MemoryFiles.h"

// The dialogs' pictures are copied out of the archives into temporary files: the copy holds
// the file's bytes, and no copy outlives the process.
namespace brightfold {
namespace {

class TemporaryCopies : public ::testing::Test {
protected:
    void SetUp() override
    {
        zen::Directory* folder = new zen::Directory(zen::String("Pictures"));
        ASSERT_EQ(zen::FileManager::Root()->AttachDirectory(folder), zen::kSuccess);
        zen::test::AddMemoryFile(folder, "settings.bmp", std::string("BM\0\1\2", 5));
        zen::test::AddMemoryFile(folder, "empty.bmp", "");
    }
    void TearDown() override { (void)platform::RemoveTemporaryFiles(); }

    zen::test::EngineScope engine;
};

TEST_F(TemporaryCopies, CopyHoldsTheBytesAndGoesWhenAskedOrAtTheEnd)
{
    const std::string first = Saver::CopyToTempFile("settings.bmp");
    const std::string second = Saver::CopyToTempFile("settings.bmp");
    ASSERT_FALSE(first.empty());
    ASSERT_NE(first, second);  // Every copy is a new file.
    EXPECT_EQ(zen::test::FileText(first), std::string("BM\0\1\2", 5));
    EXPECT_NE(first.find("NEW"), std::string::npos);
    EXPECT_TRUE(platform::RemoveTemporaryFile(first));
    EXPECT_FALSE(std::filesystem::exists(first));
    EXPECT_FALSE(platform::RemoveTemporaryFile(first));  // Already gone, no longer known.
    EXPECT_FALSE(platform::RemoveTemporaryFile("/etc/passwd"));  // Never one of ours.
    EXPECT_TRUE(std::filesystem::exists("/etc/passwd"));
    EXPECT_EQ(platform::RemoveTemporaryFiles(), 1u);
    EXPECT_FALSE(std::filesystem::exists(second));
}

TEST_F(TemporaryCopies, EmptyAndMissingFiles)
{
    const std::string empty = Saver::CopyToTempFile("empty.bmp");
    ASSERT_FALSE(empty.empty());
    EXPECT_EQ(zen::test::FileText(empty), "");
    zen::test::LogCapture log;
    EXPECT_EQ(Saver::CopyToTempFile("absent.bmp"), "");
    EXPECT_TRUE(log.Contains("ERROR. Невозможно найти файл [absent.bmp].")) << log.Joined();
}

}  // namespace
}  // namespace brightfold
