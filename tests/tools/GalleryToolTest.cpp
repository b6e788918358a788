#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/TempFolder.h"
#include "support/ToolOutput.h"

// `zen scene gallery`: a scene per effect and the pictures they name, each scene drawn by
// `zen render` with the recording renderer at every shader level without an error (the Wine
// stage checks the pictures), and a scene for every effect class of the catalogue.
namespace zen {
namespace {

using test::RunZen;

TEST(GalleryTool, WritesAScenePerEffectThatDrawsAtEveryShaderLevel)
{
    test::TempFolder folder;
    const test::ToolRun made = RunZen("scene gallery " + folder.Root().string());
    ASSERT_EQ(made.exitCode, 0) << made.output;
    std::set<std::string> scenes;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Root()))
        if (entry.path().extension() == ".STR")
            scenes.insert(entry.path().stem().string());
    for (const char* picture : {"base.bmp", "normal.bmp", "light.bmp", "gloss.bmp", "sky.cube"})
        EXPECT_TRUE(std::filesystem::exists(folder.Path(picture))) << picture;
    for (const char* effect :
         {"Texture1DL", "Texture1DLFog", "Texture1DL1PL", "NormalmapTexture", "NormalmapTexture1DL", "LightmapTexture",
          "LightmapTexture1DL", "ReflectiveCubeTexture", "GlossReflectiveCubeTexture", "VelvetTexture1DL",
          "DarkmapNormalmapTexture", "DarkmapNormalmapTexture1DL", "ParallaxTexture", "ParallaxTexture1DL"})
        EXPECT_EQ(scenes.count(effect), 1u) << effect;
    for (const std::string& scene : scenes) {
        for (const char* level : {"", " --shader-level 11", " --fixed-function"}) {
            SCOPED_TRACE(scene + level);
            const std::string log = folder.Path(scene + ".log");
            const test::ToolRun run = RunZen("--log " + log + " render " + folder.Path(scene + ".STR") +
                                             " --frames 2 --size 64x48 --renderer Recording" + level);
            EXPECT_TRUE(test::Said(run, 0, {"drew 2 frames"}));
            const std::string text = test::ReadText(log);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(text.find("ERROR. "), std::string::npos) << text;
        }
    }
}

}  // namespace
}  // namespace zen
