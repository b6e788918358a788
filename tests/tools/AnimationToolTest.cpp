#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anim/AnimTestSupport.h"
#include "anim/AnimatedScene.h"
#include "engine/anim/NodeAnimation.h"
#include "engine/anim/NodeAnimationController.h"
#include "engine/anim/ScreensaverController.h"
#include "engine/anim/TargetCameraController.h"
#include "engine/core/Ptr.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SceneNode.h"
#include "support/TempFolder.h"
#include "support/ToolOutput.h"

// The tools on an animated scene: `zen scene dump` shows the animation classes and, with --at,
// where everything stands after that much scene time; `zen render` takes fixed steps.
namespace zen {
namespace {

using test::RunZen;
using test::ToolRun;

// The line of `output` where the node `name` is printed in full; empty when there is none.
std::string LineOf(const std::string& output, const std::string& name)
{
    const size_t at = output.find("\"" + name + "\" parent=");
    if (at == std::string::npos)
        return {};
    const size_t begin = output.rfind('\n', at) + 1;
    return output.substr(begin, output.find('\n', at) - begin);
}

// Root with a node flown along x (keys (0, 0, 0) at 0 and (10, 0, 0) at 0.5, a 4 s track, the
// path played by a clip without being listed by name) and a camera that a director shows and
// that looks at the flown node.
Ptr<SceneNode> FlightScene()
{
    Ptr<SceneNode> root(new SceneNode());
    root->SetName(String("Root"));
    Ptr<SceneNode> mover(new SceneNode());
    mover->SetName(String("Mover"));
    Ptr<NodeAnimation> path0 = test::MakeAnimation<NodeAnimation, NodeKeyframe, float>(
        "Path", {{0.0, 0.0f}, {0.5, 10.0f}}, [](NodeKeyframe& key, float x) { key.translation = {x, 0, 0}; });
    Ptr<NodeAnimationController> flight(new NodeAnimationController());
    flight->SetTrackPeriod(4);
    (void)flight->AddFrame(test::Frame(path0.Get(), 0, 1));
    (void)mover->SetController(flight.Get());
    Ptr<Camera> camera(new Camera());
    camera->SetName(String("Eye"));
    camera->LocalTransform().SetTranslation({5, 0, -10});
    Ptr<TargetCameraController> aim(new TargetCameraController());
    aim->SetTarget(mover.Get());
    (void)camera->SetController(aim.Get());
    Ptr<ScreensaverController> director(new ScreensaverController());
    director->SetName(String("Director"));
    (void)director->AddSet(camera.Get(), 0.5, 30);
    (void)root->AttachChild(mover.Get());
    (void)root->AttachChild(camera.Get());
    (void)root->SetController(director.Get());
    return root;
}

TEST(AnimationTools, DumpShowsEveryAnimationClassWithItsLinksAndParts)
{
    const test::TempFolder folder;
    struct Case {
        Ptr<SceneNode> (*build)();
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {&FlightScene,
         {"controller: #2 ZEN.ScreensaverController \"Director\" active set[0]=(ZEN.Camera \"Eye\" fade-in=0.5 "
          "duration=4)\n",  // The target's 4 s flight is the shorter.
          "ZEN.NodeAnimationController \"\" active period=4 frame[0]=(ZEN.NodeAnimation \"Path\" 0..1 repeat)\n",
          "  frame[0] animation: #5 ZEN.NodeAnimation \"Path\" keys=2 times=0..0.5\n",
          "ZEN.TargetCameraController \"\" active target=#3\n"}},
        // Numbers in the order the dump meets the objects: Root #1, the skeleton #2, the
        // director #3, Mover #4, Eye's flight #9, Bone0 #47, Bone1 #50, Joint0..Tip #63..#66.
        {&test::BuildAnimatedScene,
         {"#2 ZEN.SkeletonAnimationController \"\" active period=2 bone-controllers=[ZEN.NodeAnimationController "
          "\"\", ZEN.NodeAnimationController \"\"]\n",
          "#3 ZEN.ScreensaverController \"Director\" active set[0]=(ZEN.Camera \"Eye\" fade-in=1 duration=",
          "frame[1]=(ZEN.NodeAnimation \"Up\" 0.5..1 ping-pong scale=2 offset=0.25)\n",
          "ZEN.CameraActivateAnimationController \"\" active period=0 frame[0]=(ZEN.BoolAnimation \"Window\" 0..1 "
          "repeat) camera-animation=#9 target-animation=null switches=[ZEN.ColorAnimationController \"\"]\n",
          "ZEN.BoolAnimation \"Window\" keys=3 times=0..0.7\n",
          "ZEN.TargetLightController \"\" active target=#4\n",
          "ZEN.AmbientLightAnimationController \"\" active period=5 frame[0]=(ZEN.ColorAnimation \"SunAmbient\" 0..1 clamp)",
          "ZEN.DiffuseLightAnimationController \"\" active period=6",
          "ZEN.SpecularLightAnimationController \"\" active period=7",
          "ZEN.ColorAnimationController \"\" active period=3",
          "ZEN.TextureAnimationController \"\" active period=4 frame[0]=(ZEN.TextureAnimation \"Slides\" 0..1 clamp)",
          "key[1] texture: #39 ZEN.Texture \"Cosine\"",
          "  controller: #37 ZEN.SinTextureController \"\" active\n",
          "  controller: #40 ZEN.CosTextureController \"\" active\n",
          "ZEN.NodeAnimationController \"\" inactive period=2",
          "ZEN.SkinController \"\" active bones=[#47, #50]\n",
          "  weights: #55 ZEN.Vector4Buffer \"\" count=4\n",
          "  bone-indices: #56 ZEN.Vector4Buffer \"\" count=4\n",
          "  bind-vertices: #57 ZEN.Vector3Buffer \"\" count=4\n",
          "ZEN.IKController \"\" active chain=[#66, #65, #64, #63]\n",
          "ZEN.ClockHourController \"\" active\n", "ZEN.ClockMinuteController \"\" active\n"}},
    };
    for (const Case& c : cases) {
        const std::string path = folder.Path("animated.STR");
        ASSERT_TRUE(test::SaveSceneFile(path, c.build));
        const ToolRun dump = RunZen("scene dump " + path);
        EXPECT_TRUE(test::Said(dump, 0, c.texts));
        EXPECT_EQ(dump.output.find("world"), std::string::npos);
    }
}

TEST(AnimationTools, DumpAtATimeShowsWhereTheNodesStand)
{
    const test::TempFolder folder;
    const std::string path = folder.Path("animated.STR");
    ASSERT_TRUE(test::SaveSceneFile(path, &FlightScene));
    struct Case {
        const char* at;
        const char* world;
    };
    // 1 s is a quarter of the track: half way to the key at 0.5. 3.5 s is 0.875: a quarter of
    // the way back round the wrap. 6 s wraps to 0.5.
    const Case cases[] = {
        {"1", " world: translation=(5, 0, 0)"},
        {"3.5", " world: translation=(2.5, 0, 0)"},
        {"6", " world: translation=(10, 0, 0)"},
        {"0", " world: translation=(0, 0, 0)"},
    };
    for (const Case& c : cases) {
        const ToolRun dump = RunZen("scene dump " + path + " --at " + c.at);
        EXPECT_TRUE(test::Said(dump, 0, {std::string("at ") + c.at + " s\n"}));
        EXPECT_NE(LineOf(dump.output, "Mover").find(c.world), std::string::npos) << c.at << "\n" << dump.output;
    }
    // The camera stays where it is; at 1 s it looks at the mover at (5, 0, 0), straight along
    // +z, so its world rotation is the identity (not printed).
    const ToolRun at1 = RunZen("scene dump " + path + " --at 1");
    const std::string eye = LineOf(at1.output, "Eye");
    EXPECT_NE(eye.find(" world: translation=(5, 0, -10)"), std::string::npos) << at1.output;
    EXPECT_EQ(eye.find("rotation=(0, 0, 0, 1)"), std::string::npos) << eye;

    for (const char* bad : {"--at -1", "--at x", "--at", "--at 1e9"})
        EXPECT_TRUE(test::Said(RunZen("scene dump " + path + " " + bad), 2)) << bad;
}

TEST(AnimationTools, RenderTakesFixedSteps)
{
    const test::TempFolder folder;
    const std::string path = folder.Path("animated.STR");
    ASSERT_TRUE(test::SaveSceneFile(path, &FlightScene));
    const ToolRun run = RunZen("render " + path + " --frames 4 --size 64x48 --renderer Recording --step 0.25 --start 1");
    EXPECT_TRUE(test::Said(run, 0, {"drew 4 frames", "scene time 2 s"}));
    for (const char* bad : {"--step 0", "--step -1", "--start x", "--step"})
        EXPECT_TRUE(test::Said(RunZen("render " + path + " --frames 1 --size 64x48 --renderer Recording " + bad), 2))
            << bad;
}

}  // namespace
}  // namespace zen
