#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anim/AnimTestSupport.h"
#include "anim/AnimatedScene.h"
#include "engine/anim/IKController.h"
#include "engine/anim/NodeAnimation.h"
#include "engine/anim/NodeAnimationController.h"
#include "engine/anim/ScreensaverController.h"
#include "engine/anim/SkinController.h"
#include "engine/modules/SceneLoader.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Triangles.h"
#include "engine/vfs/File.h"
#include "engine/vfs/MemoryFile.h"
#include "modules/codecs/STRSceneCodec.h"
#include "support/FileText.h"
#include "support/LoadedCodec.h"
#include "support/Near.h"
#include "support/RecordingFixture.h"
#include "support/SceneBuilder.h"
#include "support/TempFolder.h"

// A scene with every animation class through the scene file and back: the same motion
// afterwards (that every class comes back is shown by the tool's dump of the same scene).
namespace zen {
namespace {

using test::Bytes;

class AnimatedSceneFile : public test::RecordingFixture {
protected:
    void SetUp() override
    {
        RecordingFixture::SetUp();
        codec = static_cast<STRSceneCodec*>(test::LoadedCodec("STRSceneCodec"));
        ASSERT_NE(codec, nullptr);
    }

    Bytes Save(Object* root)
    {
        const std::string path = folder.Path("scene.STR");
        {
            File file{String(path)};
            EXPECT_EQ(codec->Save(&file, root), kSuccess);
        }
        const std::string text = test::FileText(path);
        return Bytes(text.begin(), text.end());
    }
    Ptr<Object> Load(const Bytes& bytes)
    {
        MemoryFile file{String("Main.STR")};
        EXPECT_EQ(file.CopyData(bytes.data(), static_cast<uint32_t>(bytes.size())), kSuccess);
        Object* loaded = nullptr;
        EXPECT_EQ(LoadScene(&file, &loaded), kSuccess);
        return Ptr<Object>(loaded);
    }
    // Runs `frames` frames of 1/30 s: update, then the frame start (post-update controllers).
    void Play(Node& root, int frames)
    {
        for (int i = 0; i < frames; ++i) {
            root.UpdateState(1.0 / 30.0, true);
            (void)renderer->StartFrame();
            renderer->FinishFrame();
        }
    }

    test::TempFolder folder;
    STRSceneCodec* codec = nullptr;
};

TEST_F(AnimatedSceneFile, MovesTheSameAfterLoading)
{
    std::srand(17);
    Ptr<SceneNode> original = test::BuildAnimatedScene();
    const Bytes bytes = Save(original.Get());
    std::srand(17);
    Ptr<Object> loaded = Load(bytes);
    ASSERT_TRUE(loaded && loaded->IsDerivedFrom(&SceneNode::TYPE));
    // Both start from the same random shot and play the same: compare where things are.
    std::srand(17);
    static_cast<ScreensaverController*>(original->FindByName(String("Director")))->Reset();
    std::srand(17);
    static_cast<ScreensaverController*>(loaded->FindByName(String("Director")))->Reset();
    auto& copy = static_cast<SceneNode&>(*loaded);
    for (int round = 0; round < 4; ++round) {
        Play(*original, 25);
        Play(copy, 25);
        for (const char* name : {"Mover", "Eye", "Bone1", "Tip", "Joint1", "Sun"}) {
            auto* a = static_cast<Node*>(original->FindByName(String(name)));
            auto* b = static_cast<Node*>(copy.FindByName(String(name)));
            ASSERT_TRUE(a && b) << name;
            test::ExpectNear(a->WorldTransform().translation, b->WorldTransform().translation, 1e-5f, name);
            EXPECT_NEAR(a->WorldTransform().rotation.w, b->WorldTransform().rotation.w, 1e-5f) << name;
        }
        auto* skinA = static_cast<Triangles*>(original->FindByName(String("Skin")));
        auto* skinB = static_cast<Triangles*>(copy.FindByName(String("Skin")));
        EXPECT_NEAR(skinA->Vertices()->Data()[3].y, skinB->Vertices()->Data()[3].y, 1e-5f);
    }
    // The IK chain reached for its goal: a third of the 106 it started at within 100 frames.
    auto* tip = static_cast<Node*>(copy.FindByName(String("Tip")));
    auto* goal = static_cast<Node*>(copy.FindByName(String("Goal")));
    EXPECT_LT((tip->WorldTransform().translation - goal->WorldTransform().translation).Length(), 35.0f);
}

}  // namespace
}  // namespace zen
