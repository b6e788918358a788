// The user's Music and SFX settings applied to a loaded scene's sound nodes, through the audio
// library's recording device.
#include <gtest/gtest.h>

#include "app/SceneSaver.h"
#include "engine/scene/SceneNode.h"
#include "engine/sound/SoundManager.h"
#include "engine/sound/SoundNode.h"
#include "engine/sound/SoundNode2.h"
#include "engine/vfs/FileManager.h"
#include "sound/SoundTestSupport.h"
#include "support/EngineScope.h"
#include "support/SoundFiles.h"

namespace brightfold {
namespace {

class TunedSaver : public SceneSaver {
public:
    void Tune(zen::Object* scene, bool music, bool sfx)
    {
        AdoptScene(scene);
        TuneSounds(music, sfx);
    }
};

TEST(SceneSoundSettings, SfxOffSilencesAndStopsAllButTheMusicAndMusicOffOnlyMutesIt)
{
    zen::test::EngineScope engine;
    const std::vector<uint8_t> tone = zen::test::EncodeVorbis(zen::test::MakeTone(44100, 1, 0.5, 440), 0.4f);
    zen::test::AddSoundFile("a.ogg", tone);
    zen::test::AddSoundFile("b.ogg", tone);
    const struct {
        bool music, sfx;
        int32_t musicVolume, surfVolume, gullVolume;
        bool musicActive, surfActive, surfPlaying;
    } cases[] = {
        {true, true, 70, 90, 80, true, true, true},
        {true, false, 70, 0, 0, true, false, false},
        {false, true, 0, 90, 80, true, true, true},
        {false, false, 0, 0, 0, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "Music " << c.music << " SFX " << c.sfx);
        zen::Ptr<zen::SceneNode> scene = new zen::SceneNode();
        auto sound = [&](const char* name, int32_t volume) {
            zen::Ptr<zen::SoundNode> node = new zen::SoundNode();
            node->SetName(zen::String(name));
            EXPECT_EQ(node->SetSound(zen::FileManager::FindFile(zen::String("a.ogg")), false), zen::kSuccess);
            node->SetLoop(true);
            node->SetVolume(volume);
            EXPECT_NE(node->Channel(), 0u);
            zen::SoundManager::ChannelPlay(node->Channel(), true);
            (void)scene->AttachChild(node.Get());
            return node;
        };
        zen::Ptr<zen::SoundNode> music = sound("Music", 70);
        zen::Ptr<zen::SoundNode> surf = sound("Surf", 90);
        zen::Ptr<zen::SoundNode2> gulls = new zen::SoundNode2();
        gulls->SetName(zen::String("Gulls"));
        (void)gulls->SetSounds(zen::String("a.ogg"), zen::String("b.ogg"));
        gulls->SetVolume(80);
        (void)scene->AttachChild(gulls.Get());

        zen::Ptr<TunedSaver> saver(new TunedSaver);
        saver->Tune(scene.Get(), c.music, c.sfx);
        EXPECT_EQ(music->Volume(), c.musicVolume);
        EXPECT_EQ(zen::SoundManager::ChannelIsActive(music->Channel()), c.musicActive);
        EXPECT_TRUE(music->IsPlaying());
        EXPECT_EQ(surf->Volume(), c.surfVolume);
        EXPECT_EQ(surf->IsPlaying(), c.surfPlaying);
        EXPECT_EQ(zen::SoundManager::ChannelIsActive(surf->Channel()), c.surfActive);
        EXPECT_EQ(gulls->Volume(), c.gullVolume);
        saver->Tune(nullptr, true, true);
    }
}

}  // namespace
}  // namespace brightfold
