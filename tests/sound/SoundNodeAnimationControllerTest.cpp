// The sound node's switch track: on starts a sound that is not playing from its beginning and
// leaves a playing one alone; off stops it.
#include <gtest/gtest.h>

#include "anim/AnimTestSupport.h"
#include "engine/anim/BoolKeyframe.h"
#include "engine/anim/SoundNodeAnimation.h"
#include "engine/sound/SoundNode.h"
#include "engine/sound/SoundNodeAnimationController.h"
#include "sound/SoundTestSupport.h"
#include "support/EngineScope.h"
#include "support/SoundFiles.h"

namespace zen {
namespace {

using Lines = std::vector<std::string>;

class SoundSwitchTest : public ::testing::Test {
protected:
    SoundSwitchTest()
    {
        m_device = test::LoadedRecording();
        test::AddSoundFile("bell.ogg", test::EncodeVorbis(test::MakeTone(44100, 1, 0.2, 880), 0.4f));
        m_node = new SoundNode();
        m_node->SetPlaying(false);
        EXPECT_EQ(m_node->SetSound(FileManager::FindFile(String("bell.ogg")), false), kSuccess);
        // Off for the first half of each second, on for the second half.
        m_switch = test::MakeAnimation<SoundNodeAnimation, BoolKeyframe, bool>(
            "switch", {{0.0, false}, {0.5, true}}, [](BoolKeyframe& key, bool value) { key.value = value; });
        m_controller = new SoundNodeAnimationController();
        m_controller->SetTrackPeriod(1.0);
        EXPECT_EQ(m_controller->AddAnimation(m_switch.Get()), kSuccess);
        EXPECT_EQ(m_controller->AddFrame(test::Frame(m_switch.Get(), 0, 1)), kSuccess);
        EXPECT_EQ(m_node->SetController(m_controller.Get()), kSuccess);
    }

    test::EngineScope m_engine;
    audio::RecordingAudioOutput* m_device = nullptr;
    Ptr<SoundNode> m_node;
    Ptr<SoundNodeAnimation> m_switch;
    Ptr<SoundNodeAnimationController> m_controller;
};

TEST_F(SoundSwitchTest, OnRestartsAStoppedSoundAndLeavesAPlayingOneOffStopsIt)
{
    ASSERT_NE(m_device, nullptr);
    struct Step {
        const char* what;
        double elapsed;
        bool renderToEnd;  // Let the device pull the whole sound first (it runs out).
        Lines calls;       // What reaches the device during the update.
        bool playing;
    };
    const Step steps[] = {
        {"off at 0.25 s", 0.25, false, {"Stop 1"}, false},
        {"off to on at 0.625 s: from the start", 0.375, false, {"Start 1 restart"}, true},
        {"still on at 0.75 s: goes on", 0.125, false, {}, true},
        {"on to off at 0.125 s: stopped", 0.375, false, {"Stop 1", "Stop 1"}, false},
        {"off to on at 0.5 s: from the start", 0.375, false, {"Start 1 restart"}, true},
        {"still on after it ran out: from the start", 0.25, true, {"Start 1 restart"}, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.renderToEnd)
            m_device->Render(1, 44100);
        m_device->ClearCalls();
        m_node->UpdateState(step.elapsed, true);
        EXPECT_EQ(m_device->Calls(), step.calls);
        EXPECT_EQ(m_node->IsPlaying(), step.playing);
    }
}

TEST_F(SoundSwitchTest, AnInactiveControllerOrAnotherOwnerChangesNothing)
{
    ASSERT_NE(m_device, nullptr);
    m_controller->SetActive(false);
    m_device->ClearCalls();
    m_node->UpdateState(0.75, true);
    EXPECT_TRUE(m_device->Calls().empty());
    EXPECT_FALSE(m_node->IsPlaying());

    Ptr<Node> plain = new Node();
    Ptr<SoundNodeAnimationController> other = new SoundNodeAnimationController();
    other->SetTrackPeriod(1.0);
    ASSERT_EQ(other->AddFrame(test::Frame(m_switch.Get(), 0, 1)), kSuccess);
    ASSERT_EQ(plain->SetController(other.Get()), kSuccess);
    plain->UpdateState(0.75, true);
    EXPECT_TRUE(m_device->Calls().empty());
}

}  // namespace
}  // namespace zen
