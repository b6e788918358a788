#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "engine/anim/ScreensaverController.h"
#include "engine/core/Array.h"
#include "engine/scene/CubeTexture.h"
#include "engine/modules/SceneLoader.h"
#include "engine/scene/Camera.h"
#include "engine/scene/Image.h"
#include "engine/scene/SceneNode.h"
#include "engine/scene/Texture.h"
#include "engine/sound/SoundNode.h"
#include "engine/sound/SoundNode2.h"
#include "engine/text/LearnSystem.h"
#include "engine/vfs/FileManager.h"
#include "platform/PosixTestHooks.h"
#include "support/EngineScope.h"
#include "support/LoadedCodec.h"
#include "support/TempFolder.h"
#include "support/ToolOutput.h"
#include "tests/codecs/ImageTestSupport.h"
#include "tools/model/KeyframePath.h"
#include "tools/scene/Headland.h"
#include "tools/scene/MediaSet.h"
#include "tools/scene/Shots.h"

namespace zen::scene {
namespace {

constexpr int kMediaResource = 227;

class LighthouseSceneTest : public ::testing::Test {
protected:
    LighthouseSceneTest()
    {
        for (const char* name : {"RAR2FileCodec", "STRSceneCodec", "TGAImageCodec", "JPGImageCodec", "BMPImageCodec", "CUBEImageCodec"})
            (void)test::LoadedCodec(name);
    }
    ~LighthouseSceneTest() override { platform::posix::RemoveMediaResource(kMediaResource); }

    test::EngineScope engine;
};

template <class T>
std::vector<T*> Collect(Object& root)
{
    Array<Object*> found;
    root.CollectByType(&T::TYPE, found);
    std::vector<T*> out;
    for (uint32_t i = 0; i < found.Count(); ++i)
        out.push_back(static_cast<T*>(found[i]));
    return out;
}

// The build makes the archive with the tool: two runs, the same bytes (object numbers count up
// within a process, so only separate runs can be compared whole).
TEST(MediaArchive, TwoBuildsGiveTheSameBytes)
{
    test::TempFolder folder;
    const std::string first = folder.Path("first.rar2"), second = folder.Path("second.rar2");
    for (const std::string& archive : {first, second})
        ASSERT_TRUE(test::Said(test::RunZen("content media " + archive), 0));
    const std::vector<uint8_t> a = test::ReadFileBytes(first), b = test::ReadFileBytes(second);
    EXPECT_GT(a.size(), 100000u);
    EXPECT_TRUE(a == b);
}

// Attached as the saver attaches it, the scene loads with every picture it names decoded, and
// it carries the director's shots.
TEST_F(LighthouseSceneTest, MediaArchiveLoadsAsTheSaverLoadsIt)
{
    std::vector<MediaSet::File> files;
    ASSERT_EQ(MediaSet::MakeAll(files), kSuccess);
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(files[0].name, "Main.STR");

    std::vector<uint8_t> archive;
    ASSERT_EQ(MediaSet::Pack(files, archive), kSuccess);
    EXPECT_LT(archive.size(), 16u * 1024 * 1024);
    platform::posix::SetMediaResource(kMediaResource, archive);
    ASSERT_EQ(FileManager::AttachResource(kMediaResource, String("Media.rar2"), String()), kSuccess);

    File* main = FileManager::FindFile(String("Main.STR"));
    ASSERT_NE(main, nullptr);
    Object* loaded = nullptr;
    ASSERT_EQ(LoadScene(main, &loaded), kSuccess);
    ASSERT_NE(loaded, nullptr);
    Ptr<Object> root = loaded;
    EXPECT_EQ(root->Name().Std(), "Root");

    // Every texture has its picture, decoded at a size the device takes.
    const std::vector<Texture*> textures = Collect<Texture>(*root);
    EXPECT_GE(textures.size(), files.size() - 1);
    std::set<std::string> used;
    for (Texture* texture : textures) {
        Image* image = texture->GetImage();
        ASSERT_NE(image, nullptr) << texture->Name().Std();
        EXPECT_GT(image->Width(), 0u) << image->FileName().Std();
        EXPECT_EQ(image->Width() & (image->Width() - 1), 0u) << image->FileName().Std();
        EXPECT_EQ(image->Height() & (image->Height() - 1), 0u) << image->FileName().Std();
        used.insert(image->FileName().Std());
    }
    // ... the sky's cube its six faces ...
    for (CubeTexture* cube : Collect<CubeTexture>(*root)) {
        Image* image = cube->GetImage(false);
        ASSERT_NE(image, nullptr) << cube->Name().Std();
        EXPECT_EQ(image->Depth(), 6u) << image->FileName().Std();
        EXPECT_EQ(image->Width(), image->Height()) << image->FileName().Std();
        used.insert(image->FileName().Std());
    }
    // ... and every sound a sound node.
    for (SoundNode* node : Collect<SoundNode>(*root))
        used.insert(node->FileName().Std());
    for (SoundNode2* node : Collect<SoundNode2>(*root)) {
        used.insert(node->FileNameA().Std());
        used.insert(node->FileNameB().Std());
    }
    // ... and the messages their configuration, which names the font's picture and parameters.
    const std::vector<LearnSystem*> learning = Collect<LearnSystem>(*root);
    ASSERT_EQ(learning.size(), 1u);
    used.insert(learning[0]->ConfigFile().Std());
    for (const MediaSet::File& file : files)
        if (file.name == learning[0]->ConfigFile().Std())
            for (const MediaSet::File& named : files)
                if (std::string(file.bytes.begin(), file.bytes.end()).find(">" + named.name + "<") != std::string::npos)
                    used.insert(named.name);
    for (size_t i = 1; i < files.size(); ++i)
        EXPECT_TRUE(used.count(files[i].name)) << files[i].name << " is packed but nothing in the scene uses it";
    // The messages loaded with their font, and each is tied to a camera the director flies.
    EXPECT_EQ(learning[0]->FontCount(), 1u);
    EXPECT_GE(learning[0]->Messages().size(), 8u);
    EXPECT_GE(learning[0]->Activators().size(), 5u);
    for (const LearnActivator& activator : learning[0]->Activators()) {
        const Object* camera = root->FindByName(String(activator.camera.c_str()));
        EXPECT_TRUE(camera && camera->IsDerivedFrom(&Camera::TYPE)) << activator.camera;
        EXPECT_FALSE(activator.messages.empty()) << activator.camera;
    }
    const SoundNode* music = dynamic_cast<const SoundNode*>(root->FindByName(String("Music")));
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->Loops());
    EXPECT_FALSE(music->IsPositional());

    const std::vector<ScreensaverController*> directors = Collect<ScreensaverController>(*root);
    ASSERT_EQ(directors.size(), 1u);
    EXPECT_GE(directors[0]->SetCount(), 8u);
    EXPECT_EQ(directors[0]->SetCount(), Shots::All().size());

    // A minute of the show: every camera stays where a camera can be.
    auto* scene = static_cast<SceneNode*>(root.Get());
    for (int frame = 0; frame < 60 * 10; ++frame) {
        scene->UpdateState(0.1, true);
        const ScreensaverController::Set* set = directors[0]->CurrentSet();
        ASSERT_NE(set, nullptr);
        const Vector3 eye = set->camera->Position();
        ASSERT_TRUE(std::isfinite(eye.x) && std::isfinite(eye.y) && std::isfinite(eye.z));
        EXPECT_GT(eye.y, std::max(0.0f, Headland::Height(eye.x, eye.z)) + 1.0f)
            << set->camera->Name().Std() << " at " << eye.x << " " << eye.y << " " << eye.z;
    }
}

// Each shot's flight, sampled finely, keeps clear of the ground and the sea and never passes
// through the tower, and its camera keeps the target well inside the view ahead.
TEST(Shots, FlightsStayClearOfTheGroundAndTheTower)
{
    const Vector3 base = Headland::TowerBase();
    for (const Shots::Shot& shot : Shots::All()) {
        SCOPED_TRACE(shot.name);
        for (int i = 0; i <= 400; ++i) {
            const float t = static_cast<float>(i) / 400.0f;
            const Vector3 eye = base + model::KeyframePath::PointAt(shot.path, t, shot.closed);
            const float ground = std::max(0.0f, Headland::Height(eye.x, eye.z));
            ASSERT_GT(eye.y, ground + 1.0f) << "t " << t << " at " << eye.x << " " << eye.y << " " << eye.z;
            const float fromAxis = std::hypot(eye.x - base.x, eye.z - base.z);
            ASSERT_GT(fromAxis, 5.5f) << "inside the tower at t " << t;
            const Vector3 look = base + model::KeyframePath::PointAt(shot.target, t, false);
            ASSERT_GT((look - eye).Length(), 2.0f);
        }
    }
}

TEST(Shots, PathsPassThroughTheirPoints)
{
    const std::vector<Vector3> points = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 5}};
    for (size_t i = 0; i < points.size(); ++i) {
        const float open = static_cast<float>(i) / 3.0f;
        const Vector3 p = model::KeyframePath::PointAt(points, open, false);
        EXPECT_NEAR((p - points[i]).Length(), 0.0f, 1e-4f) << "open, point " << i;
        const float closed = static_cast<float>(i) / 4.0f;
        const Vector3 q = model::KeyframePath::PointAt(points, closed, true);
        EXPECT_NEAR((q - points[i]).Length(), 0.0f, 1e-4f) << "closed, point " << i;
    }
    // A closed path comes back to its start; between points it bulges outwards smoothly.
    EXPECT_NEAR((model::KeyframePath::PointAt(points, 1.0f, true) - points[0]).Length(), 0.0f, 1e-4f);
    const Vector3 mid = model::KeyframePath::PointAt(points, 0.5f / 3.0f, false);
    EXPECT_NEAR(mid.x, 5.0f, 1.0f);
    EXPECT_LT(mid.y, 0.0f);  // The open start leaves straight towards (10, 0) and then turns up.
}

}  // namespace
}  // namespace zen::scene
