#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/SceneCodec.h"
#include "engine/render/Renderer.h"
#include "engine/scene/Camera.h"
#include "engine/scene/GeometryNode.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/TextureEffect.h"
#include "engine/vfs/Directory.h"
#include "engine/vfs/File.h"
#include "engine/vfs/FileManager.h"
#include "modules/recording/RecordingRenderer.h"
#include "support/EngineScope.h"
#include "support/LoadedCodec.h"
#include "support/ToolOutput.h"

// `zen scene render-test` and `zen render`, run as a program with the recording renderer (the
// Wine stage draws the same scene through Direct3D 9 and checks its pixels), and the test scene
// drawn in-process: what is drawn, in which order, and what is culled.
namespace zen {
namespace {

using test::RunZen;
using test::ToolRun;

class RenderTool : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string pattern = ::testing::TempDir() + "zen_render_XXXXXX";
        s_folder = mkdtemp(pattern.data()) ? pattern : std::string();
        const ToolRun made = RunZen("scene render-test " + s_folder);
        ASSERT_EQ(made.exitCode, 0) << made.output;
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(s_folder); }

    static std::string PathOf(const char* name) { return s_folder + "/" + name; }

    static std::string s_folder;
};

std::string RenderTool::s_folder;

TEST_F(RenderTool, RenderWritesTheLastFrameAsA24BitBmpOfTheWindowSize)
{
    const ToolRun run = RunZen("render " + PathOf("RenderTest.STR") + " --frames 3 --size 200x150 --shot " +
                            PathOf("shot.bmp") + " --renderer Recording --log " + PathOf("render.log"));
    ASSERT_TRUE(test::Said(run, 0, {"drew 3 frames"}));
    const std::string bmp = test::ReadText(PathOf("shot.bmp"));
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    auto u32 = [&bmp](size_t at) {
        return uint32_t(uint8_t(bmp[at])) | uint32_t(uint8_t(bmp[at + 1])) << 8 | uint32_t(uint8_t(bmp[at + 2])) << 16 |
               uint32_t(uint8_t(bmp[at + 3])) << 24;
    };
    EXPECT_EQ(u32(18), 200u);
    EXPECT_EQ(u32(22), 150u);
    EXPECT_EQ(uint8_t(bmp[28]), 24);
    EXPECT_EQ(bmp.size(), 54u + 200u * 3u * 150u);  // 600-byte rows need no padding.
    // The recording renderer's frame is the clear colour: black.
    EXPECT_EQ(bmp.find_first_not_of('\0', 54), std::string::npos);
    const std::string log = test::ReadText(PathOf("render.log"));
    EXPECT_TRUE(test::Holds(log, {"INFO. Изображение [checker.bmp] загружено.\n"}));
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
}

TEST_F(RenderTool, BadArgumentsAreUsageErrorsAndFailuresSayWhy)
{
    for (const char* arguments : {"render", "render x.STR --frames 0 --size 64x64", "render x.STR --frames 1",
                                  "render x.STR --frames 1 --size 64", "render x.STR --frames 1 --size 8x64",
                                  "render x.STR --frames 1 --size 64x64 --wobble", "render a.STR b.STR --frames 1",
                                  "render x.STR --frames 1 --size 64x64 --step 0",
                                  "render x.STR --frames 1 --size 64x64 --step -0.5",
                                  "render x.STR --frames 1 --size 64x64 --step 0.1s",
                                  "render x.STR --frames 1 --size 64x64 --step nan",
                                  "render x.STR --frames 1 --size 64x64 --seed -3",
                                  "render x.STR --frames 1 --size 64x64 --seed",
                                  "render x.STR --frames 1 --size 64x64 --hide"}) {
        EXPECT_TRUE(test::Said(RunZen(arguments), 2, {"usage: zen render SCENE.STR --frames N --size WxH"}))
            << arguments;
    }
    const struct {
        std::string arguments;
        const char* said;
    } failures[] = {
        {PathOf("absent.STR") + " --renderer Recording", "is not a readable scene file"},
        {PathOf("RenderTest.STR") + " --renderer Recording --hide Nobody",
         "the scene holds no node Nobody under another to hide"},
        {PathOf("RenderTest.STR") + " --renderer Nowhere", "cannot load the renderer module Nowhere"},
    };
    for (const auto& failure : failures)
        EXPECT_TRUE(test::Said(RunZen("render " + failure.arguments + " --frames 1 --size 64x64"), 1, {failure.said}));
}

TEST_F(RenderTool, BatchRunsEveryLineInOneProcessAndFailsWhenAnyLineFails)
{
    const std::string scene = PathOf("RenderTest.STR");
    const std::string draw = " --frames 1 --size 64x48 --renderer Recording --shot ";
    // Lines 1 and 6 draw (6 with its own log), 2-3 are skipped, 4 reads no scene, 5 leaves a
    // quote open, 7 would run a list from a list, 8 is no command.
    std::ofstream(PathOf("list.txt"), std::ios::binary)
        << "render " << scene << draw << PathOf("one.bmp") << "\r\n\n# a remark\n"
        << "render " << PathOf("absent.STR") << " --frames 1 --size 64x48 --renderer Recording\n"
        << "render \"" << scene << draw << "\n"
        << "--log " << PathOf("six.log") << " render \"" << scene << "\"" << draw << PathOf("six.bmp") << "\n"
        << "batch " << PathOf("list.txt") << "\nfrobnicate\n";
    const ToolRun run = RunZen("batch " + PathOf("list.txt"));
    EXPECT_TRUE(test::Said(run, 1, {"2 of 6 command lines succeeded", "line 4 of the list failed (exit code 1)",
                                    "line 5 of the list leaves a quote open", "line 7 of the list names no command",
                                    "line 8 of the list names no command"}));
    EXPECT_EQ(test::ReadText(PathOf("one.bmp")).size(), 54u + 64u * 3u * 48u);
    EXPECT_EQ(test::ReadText(PathOf("six.bmp")), test::ReadText(PathOf("one.bmp")));
    EXPECT_TRUE(test::Holds(test::ReadText(PathOf("six.log")), {"[checker.bmp]"}));

    EXPECT_EQ(RunZen("batch").exitCode, 2);
    EXPECT_EQ(RunZen("batch " + PathOf("absent.txt")).exitCode, 1);
}

// The scene drawn in-process through the recording renderer, as `zen render` draws it.
TEST_F(RenderTool, TheTestSceneDrawsOpaqueThenBlendedBackToFrontAndCullsTheHiddenParts)
{
    test::EngineScope engine;
    for (const char* codec : {"STRSceneCodec", "BMPImageCodec"})
        ASSERT_NE(test::LoadedCodec(codec), nullptr);
    // The scene's picture is found next to it, as the tool mounts its folder.
    auto* folder = new Directory(String(s_folder), FileManager::Root());
    ASSERT_EQ(folder->AttachFile(new File(String("checker.bmp"))), kSuccess);
    ASSERT_EQ(LoadRenderer(String("Recording")), kSuccess);
    auto* renderer = RecordingRenderer::Latest();
    {
        auto* codec = static_cast<SceneCodec*>(CodecManager::FindCodec(String("STRSceneCodec")));
        File file{String(PathOf("RenderTest.STR"))};
        Object* loaded = nullptr;
        ASSERT_EQ(codec->Load(&file, &loaded), kSuccess);
        Ptr<Object> root(loaded);
        ASSERT_TRUE(root->IsExactly(&SceneNode::TYPE));
        auto* cube = static_cast<GeometryNode*>(root->FindByName(String("Cube")));
        ASSERT_NE(cube, nullptr);
        ASSERT_TRUE(cube->GetEffect() && cube->GetEffect()->IsExactly(&TextureEffect::TYPE));
        auto* textured = static_cast<TextureEffect*>(cube->GetEffect());
        ASSERT_NE(textured->GetTexture(), nullptr);
        ASSERT_NE(textured->GetTexture()->GetImage(), nullptr);
        EXPECT_EQ(textured->GetTexture()->GetImage()->Width(), 64u);
        Array<Object*> cameras(1, 1);
        root->CollectByType(&Camera::TYPE, cameras);
        ASSERT_EQ(cameras.Count(), 1u);
        renderer->SetCamera(static_cast<Camera*>(cameras[0]));
        renderer->SetViewport(0, 0, 320, 240);

        auto& node = static_cast<SceneNode&>(*root);
        node.UpdateState(0.0, true);
        renderer->ClearJournal();
        ASSERT_EQ(renderer->StartFrame(), kSuccess);
        node.DrawIfVisible(renderer);
        renderer->FinishFrame();
        std::vector<std::string> draws;
        for (const std::string& line : renderer->Journal())
            if (line.rfind("DrawCurrentGeometry", 0) == 0)
                draws.push_back(line);
        const std::vector<std::string> expected = {
            "DrawCurrentGeometry [Floor] 2", "DrawCurrentGeometry [Cube] 12", "DrawCurrentGeometry [FarGlass] 2",
            "DrawCurrentGeometry [NearGlass] 2"};
        EXPECT_EQ(draws, expected);
    }
    EXPECT_EQ(ReleaseRenderer(), kSuccess);
}

}  // namespace
}  // namespace zen
