#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ToolRun.h"
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
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("written"), std::string::npos) << first.output;
    for (const std::string& name : art::PictureSet::Names())
        EXPECT_TRUE(fs::is_regular_file(folder.Path("pictures/" + name))) << name;
    const std::vector<uint8_t> bytes = test::ReadFileBytes(archive);
    ASSERT_FALSE(bytes.empty());
    const ToolRun list = RunZen("rar list " + archive);
    ASSERT_EQ(list.exitCode, 0) << list.output;
    for (const std::string& name : art::PictureSet::Names())
        EXPECT_NE(list.output.find(" ok      " + name + "\n"), std::string::npos) << name << "\n" << list.output;

    // Make the file look old, so an unwanted rewrite would show in its time stamp.
    const auto old = fs::last_write_time(archive) - std::chrono::hours(1);
    fs::last_write_time(archive, old);
    const ToolRun second = RunZen("content archive " + archive);
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_NE(second.output.find("unchanged"), std::string::npos) << second.output;
    EXPECT_EQ(fs::last_write_time(archive), old);
    EXPECT_EQ(test::ReadFileBytes(archive), bytes);
}

TEST(ContentTool, PicturesAreRewrittenOnlyWhenTheirBytesChange)
{
    test::TempFolder folder;
    const std::string pictures = folder.Path("pictures");
    const std::string names = " digit_0.tga 4loader_ru.tga";
    const ToolRun first = RunZen("content pictures " + pictures + names);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("2 pictures in " + pictures + " (2 written, 0 unchanged)"), std::string::npos)
        << first.output;
    EXPECT_FALSE(fs::exists(folder.Path("pictures/loader.jpg")));

    const std::string digit = folder.Path("pictures/digit_0.tga");
    const std::string corner = folder.Path("pictures/4loader_ru.tga");
    const auto old = fs::last_write_time(digit) - std::chrono::hours(1);
    fs::last_write_time(digit, old);
    fs::last_write_time(corner, old);
    const ToolRun second = RunZen("content pictures " + pictures + names);
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_NE(second.output.find("(0 written, 2 unchanged)"), std::string::npos) << second.output;
    EXPECT_EQ(fs::last_write_time(digit), old);

    // A damaged picture is put right, and only it; no temporary file is left behind.
    const std::vector<uint8_t> good = test::ReadFileBytes(digit);
    test::WriteFileBytes(digit, {1, 2, 3});
    const ToolRun third = RunZen("content pictures " + pictures + names);
    ASSERT_EQ(third.exitCode, 0) << third.output;
    EXPECT_NE(third.output.find("(1 written, 1 unchanged)"), std::string::npos) << third.output;
    EXPECT_EQ(test::ReadFileBytes(digit), good);
    EXPECT_EQ(fs::last_write_time(corner), old);
    EXPECT_FALSE(fs::exists(digit + ".new"));

    const ToolRun unknown = RunZen("content pictures " + pictures + " digit_x.tga");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.output.find("there is no picture called digit_x.tga"), std::string::npos) << unknown.output;
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
    const ToolRun blocked = RunZen("content pictures " + folder.Path("file"));
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.output.find("cannot create the folder"), std::string::npos) << blocked.output;
    const ToolRun nowhere = RunZen("content archive " + folder.Path("missing/CustomData.rar2"));
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_NE(nowhere.output.find("cannot write"), std::string::npos) << nowhere.output;
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
        const ToolRun run = RunZen("content gallery " + folder.Path("g") + " --renderer Recording --media " +
                                   folder.Path(m.archive));
        EXPECT_EQ(run.exitCode, 1) << run.output;
        EXPECT_NE(run.output.find(m.said), std::string::npos) << run.output;
    }
}

}  // namespace
}  // namespace zen
