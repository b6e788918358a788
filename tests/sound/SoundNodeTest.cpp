// Sound nodes on the native audio library (which records what it is asked to play): placement
// relative to the camera, the listener, play states, switching, stream records, bad files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "engine/core/Stream.h"
#include "engine/scene/Camera.h"
#include "engine/scene/SphereBoundingVolume.h"
#include "engine/sound/SoundNode.h"
#include "engine/sound/SoundNode2.h"
#include "sound/SoundTestSupport.h"
#include "support/LogCapture.h"
#include "support/RecordBytes.h"
#include "support/RecordingFixture.h"
#include "support/SceneBuilder.h"
#include "support/SoundFiles.h"

namespace zen::test {
namespace {

using Calls = std::vector<std::string>;

std::string Format(const char* format, const Vector3& a, const Vector3& b)
{
    char line[160];
    std::snprintf(line, sizeof line, format, a.x, a.y, a.z, b.x, b.y, b.z);
    return line;
}

class SoundNodeTest : public test::RecordingFixture {
protected:
    SoundNodeTest()
    {
        m_device = test::LoadedRecording();
        m_ogg = test::EncodeVorbis(test::MakeTone(44100, 1, 0.3, 440), 0.4f);
        test::AddSoundFile("tone.ogg", m_ogg);
        test::AddSoundFile("other.ogg", test::EncodeVorbis(test::MakeTone(22050, 2, 0.2, 300), 0.4f));
    }

    // A camera at `position` turned by `rotation`, made the renderer's.
    Ptr<Camera> PlaceCamera(const Vector3& position, const Quaternion& rotation)
    {
        Ptr<Camera> camera = new Camera();
        Transform t;
        t.SetRotation(rotation);
        t.SetTranslation(position);
        camera->SetLocalTransform(t);
        camera->SetWorldTransform(t);
        renderer->SetCamera(camera.Get());
        return camera;
    }

    Ptr<SoundNode> NodeAt(const Vector3& position, bool positional)
    {
        Ptr<SoundNode> node = new SoundNode();
        node->LocalTransform().SetTranslation(position);
        EXPECT_EQ(node->SetSound(FileManager::FindFile(String("tone.ogg")), positional), kSuccess);
        EXPECT_NE(node->Channel(), 0u);
        return node;
    }

    audio::RecordingAudioOutput* m_device = nullptr;
    Bytes m_ogg;
};

TEST_F(SoundNodeTest, APositionalNodeIsPlacedRelativeToTheCameraWhateverItsTurn)
{
    ASSERT_TRUE(renderer && m_device);
    const Quaternion turns[] = {{0, 0, 0, 1}, AxisAngle({0, 1, 0}, 1.2f), AxisAngle({1, 0, 0}, -0.7f),
                                AxisAngle({0.6f, 0, 0.8f}, 3.0f)};
    for (const Quaternion& turn : turns) {
        SCOPED_TRACE(testing::Message() << "turn " << turn.x << " " << turn.y << " " << turn.z << " " << turn.w);
        Ptr<Camera> camera = PlaceCamera({2, 0, 0}, turn);
        Ptr<SoundNode> node = NodeAt({5, 0, 0}, true);
        m_device->ClearCalls();
        node->UpdateState(0.1, true);
        const Calls placed = CallsStarting(*m_device, "Voice3D");
        ASSERT_EQ(placed.size(), 1u);
        EXPECT_EQ(placed[0].substr(placed[0].find(' ', 8)), " 3 0 0 min 3.40282e+38 max 1e+09");
        EXPECT_EQ(CallsStarting(*m_device, "Start").size(), 1u);
        // The turn reaches the library only as the listener's axes, at the frame's start, and
        // only when it differs from the last frame's (the unturned camera is the device's
        // starting listener).
        m_device->ClearCalls();
        ASSERT_EQ(renderer->StartFrame(), kSuccess);
        renderer->FinishFrame();
        const bool turned = turn.x != 0 || turn.y != 0 || turn.z != 0;
        const Calls expected = turned ? Calls{Format("Listener front %g %g %g top %g %g %g", camera->Forward(), camera->Up()),
                                              "Commit3D"}
                                      : Calls{};
        EXPECT_EQ(m_device->Calls(), expected);
        m_device->ClearCalls();
        ASSERT_EQ(renderer->StartFrame(), kSuccess);
        renderer->FinishFrame();
        EXPECT_EQ(m_device->Calls(), Calls{});
    }
}

TEST_F(SoundNodeTest, PlaysWithoutRestartAndCountsItsPlayTime)
{
    ASSERT_TRUE(renderer && m_device);
    PlaceCamera({0, 0, 0}, {0, 0, 0, 1});
    Ptr<SoundNode> node = NodeAt({1, 2, 3}, false);
    node->SetVolume(40);
    node->SetLoop(true);
    m_device->ClearCalls();
    for (int frame = 0; frame < 3; ++frame)
        node->UpdateState(0.25, true);
    EXPECT_EQ(m_device->Calls(), Calls{"Start 1"}) << "played once, never restarted, never placed";
    EXPECT_FLOAT_EQ(node->PlayTime(), 0.75f);

    node->SetPlaying(false);
    m_device->ClearCalls();
    node->UpdateState(0.25, true);
    EXPECT_TRUE(m_device->Calls().empty());
    EXPECT_FLOAT_EQ(node->PlayTime(), 0.75f);

    // Its bound: the sphere of the minimum distance around its origin, in world space.
    node->SetMinDistance(2.5f);
    node->LocalTransform().SetScale({2, 2, 2});
    node->UpdateState(0, true);
    auto* bound = static_cast<SphereBoundingVolume*>(node->WorldBound());
    EXPECT_FLOAT_EQ(bound->Radius(), 5.0f);
    EXPECT_FLOAT_EQ(bound->GetCenter().x, 1.0f);
    EXPECT_FLOAT_EQ(bound->GetCenter().z, 3.0f);
}

TEST_F(SoundNodeTest, StreamsItsFieldsInOrderAndLoadsItsSound)
{
    ASSERT_TRUE(m_device);
    Ptr<SoundNode> node = new SoundNode();
    node->SetName(String("Surf"));
    node->SetLoop(true);
    node->SetMinDistance(4.5f);
    node->SetVolume(65);
    node->SetPlaying(false);
    ASSERT_EQ(node->SetSound(FileManager::FindFile(String("tone.ogg")), true), kSuccess);

    const Bytes written = test::SavedRecord(node.Get());
    Bytes tail;
    tail.push_back(1);  // loop
    PutFloat(tail, 4.5f);
    PutFloat(tail, 0.0f);  // reserved
    tail.push_back(1);     // positional
    test::PutString(tail, "tone.ogg");
    tail.push_back(0);  // playing
    test::PutInt(tail, 65);
    ASSERT_GT(written.size(), tail.size());
    EXPECT_EQ(Bytes(written.end() - static_cast<long>(tail.size()), written.end()), tail);

    m_device->ClearCalls();
    test::ByteStream reader(written);
    Object* loaded = nullptr;
    ASSERT_EQ(reader.ReadObject(&loaded), kSuccess);
    Ptr<SoundNode> copy(static_cast<SoundNode*>(loaded));
    EXPECT_EQ(reader.Position(), written.size());
    EXPECT_TRUE(copy->Loops());
    EXPECT_TRUE(copy->IsPositional());
    EXPECT_FALSE(copy->IsPlaying());
    EXPECT_EQ(copy->Volume(), 65);
    EXPECT_FLOAT_EQ(copy->MinDistance(), 4.5f);
    EXPECT_NE(copy->Channel(), 0u);
    EXPECT_EQ(CallsStarting(*m_device, "CreateVoice"), Calls{"CreateVoice 2 44100 1 3d"});
    EXPECT_EQ(CallsStarting(*m_device, "Volume"), (Calls{"Volume 2 1", "Volume 2 0.65"}));
}

TEST_F(SoundNodeTest, MissingDamagedAndForeignFilesLeaveASilentNode)
{
    ASSERT_TRUE(m_device);
    const std::string text = "ShowFPS = 1\r\n";
    // The library's error codes: no data 2, another format 11, damaged 12.
    const struct {
        const char* name;
        Bytes bytes;
        int32_t error;
    } files[] = {
        {"cut.ogg", Bytes(m_ogg.begin(), m_ogg.begin() + 50), 12},
        {"empty.ogg", {}, 2},
        {"text.mp3", Bytes(text.begin(), text.end()), 11},
        {"header.mp3", {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0}, 12},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        test::AddSoundFile(f.name, f.bytes);
        test::LogCapture log;
        Ptr<SoundNode> node = new SoundNode();
        EXPECT_EQ(node->SetSound(FileManager::FindFile(String(f.name)), false), kSuccess);
        EXPECT_EQ(node->Channel(), 0u);
        EXPECT_EQ(SoundManager::ErrorCode(), f.error);  // The stream's creation was the last call.
        EXPECT_EQ(log.Lines(), Calls{std::string("WARNING. Невозможно загрузить файл звука [") + f.name + "]"});
        node->UpdateState(0.1, true);  // Silent, and nothing breaks.
    }
    Ptr<SoundNode> node = new SoundNode();
    EXPECT_EQ(node->SetSound(nullptr, false), kInvalidArgument);
    EXPECT_EQ(m_device->VoiceCount(), 0u);

    // A node whose file is not in the tree loads, silent, with a warning: the record of a node
    // of "tone.ogg" with the name changed to "gone.ogg".
    Ptr<SoundNode> lost = NodeAt({0, 0, 0}, false);
    lost->SetName(String("Lost"));
    Bytes written = test::SavedRecord(lost.Get());
    const std::string name = "tone.ogg";
    auto at = std::search(written.begin(), written.end(), name.begin(), name.end());
    ASSERT_NE(at, written.end());
    *at = 'g';
    test::LogCapture log;
    Ptr<SoundNode> copy = test::LoadedRecord<SoundNode>(written);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Channel(), 0u);
    EXPECT_EQ(copy->FileName().Std(), "gone.ogg");
    EXPECT_TRUE(log.Contains("WARNING. Невозможно найти файл [gone.ogg] для источника звука. ID[" +
                             std::to_string(copy->ID()) + "] Имя[Lost]"));
}

TEST_F(SoundNodeTest, AnAlternatingNodeSwitchesEveryIntervalAndRestartsTheChosenSound)
{
    ASSERT_TRUE(renderer && m_device);
    PlaceCamera({0, 0, -1}, {0, 0, 0, 1});
    Ptr<SoundNode2> node = new SoundNode2();
    node->SetPositional(true);
    node->SetInterval(0.5f, 0.0f);
    node->LocalTransform().SetTranslation({0, 4, 0});
    ASSERT_EQ(node->SetSounds(String("tone.ogg"), String("other.ogg")), kSuccess);
    ASSERT_TRUE(node->ChannelA() && node->ChannelB());
    // Updates 0.125 s apart (exact in binary): the first update picks, then every fourth,
    // every 0.5 s.
    const bool picks[] = {true, false, false, true, false, false, false, true, false, false, false, true};
    for (size_t frame = 0; frame < std::size(picks); ++frame) {
        SCOPED_TRACE(testing::Message() << "update " << frame);
        m_device->ClearCalls();
        node->UpdateState(0.125, true);
        const Calls starts = CallsStarting(*m_device, "Start");
        const Calls stops = CallsStarting(*m_device, "Stop");
        if (!picks[frame]) {
            EXPECT_TRUE(starts.empty() && stops.empty());
        } else {
            ASSERT_EQ(starts.size(), 1u);
            ASSERT_EQ(stops.size(), 1u);
            const bool a = node->CurrentChannel() == node->ChannelA();
            EXPECT_EQ(starts[0], a ? "Start 1 restart" : "Start 2 restart");
            EXPECT_EQ(stops[0], a ? "Stop 2" : "Stop 1");
        }
        // The chosen one follows the camera.
        const Calls placed = CallsStarting(*m_device, "Voice3D");
        ASSERT_EQ(placed.size(), 1u);
        EXPECT_NE(placed[0].find(" 0 4 1 min"), std::string::npos) << placed[0];
    }
}

TEST_F(SoundNodeTest, AnAlternatingNodeWithNoIntervalPicksOncePerUpdate)
{
    ASSERT_TRUE(m_device);
    Ptr<SoundNode2> node = new SoundNode2();
    node->SetInterval(0.0f, 0.0f);
    ASSERT_EQ(node->SetSounds(String("tone.ogg"), String("other.ogg")), kSuccess);
    m_device->ClearCalls();
    node->UpdateState(0.3, true);
    EXPECT_EQ(CallsStarting(*m_device, "Start").size(), 1u);
}

TEST_F(SoundNodeTest, AnAlternatingNodeStreamsItsFieldsInOrder)
{
    Ptr<SoundNode2> node = new SoundNode2();
    node->SetPositional(true);
    node->SetInterval(2.0f, 0.75f);
    node->SetVolume(30);
    node->SetMinDistance(6.0f);
    ASSERT_EQ(node->SetSounds(String("tone.ogg"), String("missing.ogg")), kSuccess);
    EXPECT_EQ(node->ChannelB(), 0u);
    const Bytes written = test::SavedRecord(node.Get());
    Bytes tail;
    test::PutString(tail, "tone.ogg");
    test::PutString(tail, "missing.ogg");
    PutFloat(tail, 6.0f);
    tail.push_back(1);
    test::PutInt(tail, 30);
    PutFloat(tail, 2.0f);
    PutFloat(tail, 0.75f);
    EXPECT_EQ(Bytes(written.end() - static_cast<long>(tail.size()), written.end()), tail);

    test::LogCapture log;
    Ptr<SoundNode2> copy = test::LoadedRecord<SoundNode2>(written);
    ASSERT_NE(copy, nullptr);
    EXPECT_FLOAT_EQ(copy->IntervalBase(), 2.0f);
    EXPECT_FLOAT_EQ(copy->IntervalRandom(), 0.75f);
    EXPECT_EQ(copy->Volume(), 30);
    EXPECT_TRUE(copy->IsPositional());
    EXPECT_NE(copy->ChannelA(), 0u);
    EXPECT_EQ(copy->ChannelB(), 0u);
    EXPECT_TRUE(log.ContainsText("Невозможно найти файл [missing.ogg] для источника звука."));
}

}  // namespace
}  // namespace zen::test
