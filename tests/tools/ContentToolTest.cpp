#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ToolOutput.h"
#include "tests/codecs/ImageTestSupport.h"
#include "tools/art/PictureSet.h"

// `zen content pictures` and `zen content archive`, run as a program the way the Windows build
// runs them: files are written when their bytes change and left alone (time stamp included)
// otherwise, so the steps after them do not rerun.
namespace zen {
namespace {

namespace fs = std::filesystem;

using test::RunZen;
using test::ToolRun;

TEST(ContentTool, ArchiveIsWrittenOnceListsEveryPictureAndIsThenLeftAlone)
{
    test::TempFolder folder;
    const std::string archive = folder.Path("CustomData.rar2");
    const ToolRun first = RunZen("content archive " + archive + " --pictures " + folder.Path("pictures"));
    ASSERT_TRUE(test::Said(first, 0, {"written"}));
    for (const std::string& name : art::PictureSet::Names())
        EXPECT_TRUE(fs::is_regular_file(folder.Path("pictures/" + name))) << name;
    const std::vector<uint8_t> bytes = test::ReadFileBytes(archive);
    ASSERT_FALSE(bytes.empty());
    const ToolRun list = RunZen("rar list " + archive);
    for (const std::string& name : art::PictureSet::Names())
        EXPECT_TRUE(test::Said(list, 0, {" ok      " + name + "\n"}));

    // Make the file look old, so an unwanted rewrite would show in its time stamp.
    const auto old = fs::last_write_time(archive) - std::chrono::hours(1);
    fs::last_write_time(archive, old);
    const ToolRun second = RunZen("content archive " + archive);
    ASSERT_TRUE(test::Said(second, 0, {"unchanged"}));
    EXPECT_EQ(fs::last_write_time(archive), old);
    EXPECT_EQ(test::ReadFileBytes(archive), bytes);
}

TEST(ContentTool, PicturesAreRewrittenOnlyWhenTheirBytesChange)
{
    test::TempFolder folder;
    const std::string pictures = folder.Path("pictures");
    const std::string names = " digit_0.tga 4loader_ru.tga";
    const ToolRun first = RunZen("content pictures " + pictures + names);
    ASSERT_TRUE(test::Said(first, 0, {"2 pictures in " + pictures + " (2 written, 0 unchanged)"}));
    EXPECT_FALSE(fs::exists(folder.Path("pictures/loader.jpg")));

    const std::string digit = folder.Path("pictures/digit_0.tga");
    const std::string corner = folder.Path("pictures/4loader_ru.tga");
    const auto old = fs::last_write_time(digit) - std::chrono::hours(1);
    fs::last_write_time(digit, old);
    fs::last_write_time(corner, old);
    const ToolRun second = RunZen("content pictures " + pictures + names);
    ASSERT_TRUE(test::Said(second, 0, {"(0 written, 2 unchanged)"}));
    EXPECT_EQ(fs::last_write_time(digit), old);

    // A damaged picture is put right, and only it; no temporary file is left behind.
    const std::vector<uint8_t> good = test::ReadFileBytes(digit);
    test::WriteFileBytes(digit, {1, 2, 3});
    const ToolRun third = RunZen("content pictures " + pictures + names);
    ASSERT_TRUE(test::Said(third, 0, {"(1 written, 1 unchanged)"}));
    EXPECT_EQ(test::ReadFileBytes(digit), good);
    EXPECT_EQ(fs::last_write_time(corner), old);
    EXPECT_FALSE(fs::exists(digit + ".new"));

    EXPECT_TRUE(test::Said(RunZen("content pictures " + pictures + " digit_x.tga"), 2,
                           {"there is no picture called digit_x.tga"}));
}

TEST(ContentTool, RefusesBadArgumentsAndUnwritablePlaces)
{
    EXPECT_EQ(RunZen("content pictures").exitCode, 2);
    EXPECT_EQ(RunZen("content pictures --all").exitCode, 2);
    EXPECT_EQ(RunZen("content archive").exitCode, 2);
    EXPECT_EQ(RunZen("content archive x.rar2 --pictures").exitCode, 2);
    EXPECT_EQ(RunZen("content archive x.rar2 --fast").exitCode, 2);
    test::TempFolder folder;
    test::WriteFileBytes(folder.Path("file"), {1});
    EXPECT_TRUE(test::Said(RunZen("content pictures " + folder.Path("file")), 1, {"cannot create the folder"}));
    EXPECT_TRUE(test::Said(RunZen("content archive " + folder.Path("missing/CustomData.rar2")), 1, {"cannot write"}));
    // A gallery from a media archive that is missing, or holds no scene.
    EXPECT_EQ(RunZen("content gallery " + folder.Path("g") + " --media").exitCode, 2);
    std::filesystem::create_directories(folder.Path("loose"));
    test::WriteFileBytes(folder.Path("loose/readme.txt"), {'h', 'i'});
    ASSERT_EQ(RunZen("rar create " + folder.Path("plain.rar2") + " " + folder.Path("loose")).exitCode, 0);
    const struct {
        const char* archive;
        const char* said;
    } media[] = {{"absent.rar2", "could not be extracted"}, {"plain.rar2", "Main.STR of the media archive is not"}};
    for (const auto& m : media) {
        EXPECT_TRUE(test::Said(
            RunZen("content gallery " + folder.Path("g") + " --renderer Recording --media " + folder.Path(m.archive)), 1,
            {m.said}));
    }
}

}  // namespace
}  // namespace zen
