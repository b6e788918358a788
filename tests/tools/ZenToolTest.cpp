#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "engine/core/Ptr.h"
#include "engine/scene/SceneNode.h"
#include "support/TempFolder.h"
#include "support/ToolOutput.h"

// The `zen` tool, run as a program.
namespace zen {
namespace {

using test::RunZen;
using test::ToolRun;

class ZenTool : public ::testing::Test {
protected:
    std::string PathOf(const char* name) const { return folder.Path(name); }
    void Put(const char* name, const std::string& bytes) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }

    test::TempFolder folder;
};

TEST_F(ZenTool, HelpListsTheCommands)
{
    EXPECT_TRUE(test::Said(RunZen("help"), 0, {"usage: zen [--log FILE] <family> <verb>", "zen scene check FILE.STR"}));
}

TEST_F(ZenTool, UnknownCommandsAndBadArgumentsAreUsageErrors)
{
    EXPECT_EQ(RunZen("").exitCode, 2);
    EXPECT_TRUE(test::Said(RunZen("frobnicate now"), 2, {"unknown command frobnicate"}));
    EXPECT_TRUE(test::Said(RunZen("scene explode"), 2, {"zen scene check FILE.STR"}));
    EXPECT_TRUE(test::Said(RunZen("scene check"), 2, {"usage: zen scene check FILE.STR"}));
    EXPECT_EQ(RunZen("scene check a.STR b.STR").exitCode, 2);
    EXPECT_EQ(RunZen("scene check a.STR --log").exitCode, 2);
}

TEST_F(ZenTool, SceneCheckFailsOnFilesItCannotRead)
{
    EXPECT_EQ(RunZen("scene check " + PathOf("absent.STR")).exitCode, 1);
    Put("old.STR", std::string("\0\0\0\0\1\0\0\0\1\0\0\0\xFF\xFF\xFF\xFF", 16));  // Version 0.1.1.
    const ToolRun old = RunZen("--log " + PathOf("zen.log") + " scene check " + PathOf("old.STR"));
    EXPECT_TRUE(test::Said(old, 1, {"is not a readable scene file"}));
    EXPECT_TRUE(test::Holds(test::ReadText(PathOf("zen.log")), {"INFO. Загружается кодек [STRSceneCodec].\n",
                                                                "INFO. Завершение работы движка завершилось удачно.\n"}));

    Put("scene.STR", std::string("\0\0\0\0\1\0\0\0\2\0\0\0\xFF\xFF\xFF\xFF", 16));  // A null root.
    EXPECT_EQ(RunZen("scene check " + PathOf("scene.STR")).exitCode, 1);
}

TEST_F(ZenTool, SceneCheckPrintsTheRootTypeAndName)
{
    ASSERT_TRUE(test::SaveSceneFile(PathOf("scene.STR"), [] {
        Ptr<SceneNode> root = new SceneNode();
        root->SetName(String("Root"));
        return root;
    }));
    const ToolRun run = RunZen("scene check " + PathOf("scene.STR"));
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "ZEN.SceneNode Root\n");
}

}  // namespace
}  // namespace zen
