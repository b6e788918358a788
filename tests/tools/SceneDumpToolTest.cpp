#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/core/Ptr.h"
#include "engine/modules/CodecManager.h"
#include "engine/modules/ModuleManager.h"
#include "engine/scene/Image.h"
#include "engine/scene/Node.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"
#include "engine/scene/TextureEffect.h"
#include "engine/text/LearnSystem.h"
#include "engine/vfs/File.h"
#include "modules/codecs/STRSceneCodec.h"
#include "support/EngineScope.h"
#include "support/SceneBuilder.h"
#include "support/TempFolder.h"
#include "support/ToolRun.h"

// `zen scene dump`, run as a program on a scene written by the codec.
namespace zen {
namespace {

// Writes the scene that build makes (with the engine and the scene codec started) to path.
bool SaveScene(const std::string& path, const std::function<Ptr<Node>()>& build)
{
    test::EngineScope engine;
    Codec* codec = nullptr;
    if (ModuleManager::LoadModule(String("STRSceneCodec")) != kSuccess ||
        CodecManager::LoadCodec(String("STRSceneCodec"), &codec) != kSuccess)
        return false;
    const Ptr<Node> root = build();
    File file{String(path)};
    return static_cast<STRSceneCodec*>(codec)->Save(&file, root.Get()) == kSuccess;
}

TEST(SceneDumpTool, PrintsTheTreeWithSharedObjectsOnce)
{
    const test::TempFolder folder;
    const std::string path = folder.Path("sample.STR");
    ASSERT_TRUE(SaveScene(path, [] { return Ptr<Node>(test::BuildSampleScene().root.Get()); }));
    const test::ToolRun dump = test::RunZen("scene dump " + path);
    const std::string& output = dump.output;
    EXPECT_EQ(dump.exitCode, 0) << output;
    for (const char* line : {
             "#1 ZEN.SceneNode \"Root\" translation=(0, 0, 0) slots=6 increment=2\n",
             "  [0] #2 ZEN.SceneNode \"Group\" parent=#1 translation=(0, 0, 10) slots=4 increment=2\n",
             "      vertices: #4 ZEN.Vector3Buffer \"QuadVertices\" count=4\n",
             "      vertices: -> #4\n",  // Twin shares Quad's vertices.
             "      indices: -> #10\n",
             "    [2] (empty)\n",
             "  [3] #24 ZEN.Camera \"Camera\" parent=#1 translation=(0, 0, -5) fov=1 near=0.5 far=500\n",
             " parameters=(2, 4, true)\n",
             " type=spot diffuse=(1, 0.9, 0.8, 1) attenuation=(1, 0.25, 0.125) spot-angle=0.5 falloff=2\n",
         })
        EXPECT_NE(output.find(line), std::string::npos) << line << "\n--- output:\n" << output;

    const test::ToolRun absent = test::RunZen("scene dump " + folder.Path("absent.STR"));
    EXPECT_NE(absent.output.find("is not a readable scene file"), std::string::npos);
    EXPECT_EQ(absent.exitCode, 1);
    const test::ToolRun bare = test::RunZen("scene dump");
    EXPECT_NE(bare.output.find("usage: zen scene dump FILE.STR"), std::string::npos);
    EXPECT_EQ(bare.exitCode, 2);
}

TEST(SceneDumpTool, ShowsTexturesUnderTheirEffectsAndImagesUnderTheirTextures)
{
    const test::TempFolder folder;
    const std::string path = folder.Path("textured.STR");
    ASSERT_TRUE(SaveScene(path, [] {
        Ptr<SceneNode> root = new SceneNode();
        root->SetName(String("Root"));
        Ptr<Image> image = new Image(String("Glow"), Image::kR8G8B8A8, 8, 4);
        Ptr<Texture> texture = new Texture(String("GlowTexture"), image.Get());
        texture->SetMipLevels(3);
        for (const char* name : {"A", "B"}) {
            Ptr<Triangles> mesh = test::MakeQuad(name, 1);
            Ptr<TextureEffect> effect = new TextureEffect();
            effect->SetName(String(std::string("Effect") + name));
            effect->SetTexture(texture.Get());
            EXPECT_EQ(mesh->SetEffect(effect.Get()), kSuccess);
            EXPECT_EQ(root->AttachChild(mesh.Get()), kSuccess);
        }
        return Ptr<Node>(root.Get());
    }));
    const test::ToolRun dump = test::RunZen("scene dump " + path);
    const std::string& output = dump.output;
    EXPECT_EQ(dump.exitCode, 0) << output;
    for (const char* line : {
             "texture: #", "ZEN.Texture \"GlowTexture\" mip-levels=3\n",
             "image: #", "ZEN.Image \"Glow\" size=8x4 format=1\n",
             "texture: -> #",  // The second effect shares the texture.
         })
        EXPECT_NE(output.find(line), std::string::npos) << line << "\n--- output:\n" << output;
}

TEST(SceneDumpTool, ShowsOnScreenMessageNodesWithTheirConfiguration)
{
    const test::TempFolder folder;
    const std::string path = folder.Path("learn.STR");
    ASSERT_TRUE(SaveScene(path, [] {
        Ptr<SceneNode> root = new SceneNode();
        root->SetName(String("Root"));
        Ptr<LearnSystem> learn = new LearnSystem();
        learn->SetName(String("Tips"));
        learn->SetConfigFile(String("Tips.xml"));  // Not in this file tree: nothing loads.
        EXPECT_EQ(root->AttachChild(learn.Get()), kSuccess);
        return Ptr<Node>(root.Get());
    }));
    const test::ToolRun dump = test::RunZen("scene dump " + path);
    EXPECT_EQ(dump.exitCode, 0) << dump.output;
    const char* line = "  [0] #2 ZEN.LearnSystem \"Tips\" parent=#1 translation=(0, 0, 0) config=\"Tips.xml\" textures=0 "
                       "fonts=0 styles=0 messages=0 activators=0\n";
    EXPECT_NE(dump.output.find(line), std::string::npos) << dump.output;
}

}  // namespace
}  // namespace zen
