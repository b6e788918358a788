#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/codecs/ImageTestSupport.h"
#include "tools/art/PictureSet.h"

// `zen content pictures` and `zen content archive`, run as a program the way the Windows build
// runs them: files are written when their bytes change and left alone (time stamp included)
// otherwise, so the steps after them do not rerun.
namespace zen {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode = -1;
    std::string output;
};

ToolRun Zen(const std::string& arguments)
{
    ToolRun run;
    std::FILE* pipe = popen((std::string(ZEN_TOOL_PATH) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, got);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(ContentTool, ArchiveIsWrittenOnceAndThenLeftAlone)
{
    test::TempFolder folder;
    const std::string archive = folder.Path("CustomData.rar2");
    const std::string pictures = folder.Path("pictures");
    const ToolRun first = Zen("content archive " + archive + " --pictures " + pictures);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("written"), std::string::npos) << first.output;
    for (const std::string& name : art::PictureSet::Names())
        EXPECT_TRUE(fs::is_regular_file(folder.Path("pictures/" + name))) << name;
    const std::vector<uint8_t> bytes = test::ReadFileBytes(archive);
    ASSERT_FALSE(bytes.empty());

    // Make the first run's files look old, so an unwanted rewrite would show in the time stamp.
    const auto old = fs::last_write_time(archive) - std::chrono::hours(1);
    fs::last_write_time(archive, old);
    fs::last_write_time(folder.Path("pictures/digit_0.tga"), old);
    const ToolRun second = Zen("content archive " + archive + " --pictures " + pictures);
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_NE(second.output.find("unchanged"), std::string::npos) << second.output;
    EXPECT_EQ(fs::last_write_time(archive), old);
    EXPECT_EQ(fs::last_write_time(folder.Path("pictures/digit_0.tga")), old);
    EXPECT_EQ(test::ReadFileBytes(archive), bytes);

    // A damaged picture is put right, and only it.
    test::WriteFileBytes(folder.Path("pictures/digit_0.tga"), {1, 2, 3});
    const ToolRun third = Zen("content pictures " + pictures);
    ASSERT_EQ(third.exitCode, 0) << third.output;
    EXPECT_NE(third.output.find("(1 written"), std::string::npos) << third.output;
    EXPECT_GT(test::ReadFileBytes(folder.Path("pictures/digit_0.tga")).size(), 18u);
    EXPECT_FALSE(fs::exists(folder.Path("pictures/digit_0.tga.new")));
}

TEST(ContentTool, ListsTheArchiveWithTheRarTool)
{
    test::TempFolder folder;
    const std::string archive = folder.Path("CustomData.rar2");
    ASSERT_EQ(Zen("content archive " + archive).exitCode, 0);
    const ToolRun list = Zen("rar list " + archive);
    ASSERT_EQ(list.exitCode, 0) << list.output;
    for (const std::string& name : art::PictureSet::Names())
        EXPECT_NE(list.output.find(" ok      " + name + "\n"), std::string::npos) << name << "\n" << list.output;
}

TEST(ContentTool, RefusesBadArgumentsAndUnwritablePlaces)
{
    EXPECT_EQ(Zen("content pictures").exitCode, 2);
    EXPECT_EQ(Zen("content pictures a b").exitCode, 2);
    EXPECT_EQ(Zen("content archive").exitCode, 2);
    EXPECT_EQ(Zen("content archive x.rar2 --pictures").exitCode, 2);
    EXPECT_EQ(Zen("content archive x.rar2 --fast").exitCode, 2);
    test::TempFolder folder;
    test::WriteFileBytes(folder.Path("file"), {1});
    const ToolRun blocked = Zen("content pictures " + folder.Path("file"));
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_NE(blocked.output.find("cannot create the folder"), std::string::npos) << blocked.output;
    const ToolRun nowhere = Zen("content archive " + folder.Path("missing/CustomData.rar2"));
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_NE(nowhere.output.find("cannot write"), std::string::npos) << nowhere.output;
}

}  // namespace
}  // namespace zen
