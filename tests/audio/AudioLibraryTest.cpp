// The audio library's logic on the recording device: what reaches the device, when, and with
// which values; error codes; and the quiet failures of a library without a device.
#include <gtest/gtest.h>

#include "audio/AudioError.h"
#include "audio/AudioLibrary.h"
#include "audio/RecordingAudioOutput.h"
#include "support/SoundFiles.h"

namespace zen::audio {
namespace {

using Lines = std::vector<std::string>;

class AudioLibraryTest : public ::testing::Test {
protected:
    AudioLibraryTest()
    {
        auto output = std::make_unique<RecordingAudioOutput>();
        m_device = output.get();
        m_library = std::make_unique<AudioLibrary>(std::move(output));
        m_ogg = test::EncodeVorbis(test::MakeTone(44100, 2, 0.25, 440), 0.4f);
    }

    uint32_t Stream(uint32_t flags)
    {
        return m_library->StreamCreate(true, m_ogg.data(), 0, static_cast<uint32_t>(m_ogg.size()), flags);
    }

    RecordingAudioOutput* m_device = nullptr;
    std::unique_ptr<AudioLibrary> m_library;
    std::vector<uint8_t> m_ogg;
};

TEST_F(AudioLibraryTest, WithoutADeviceEveryCallFailsQuietly)
{
    m_device->SetDeviceAvailable(false);
    EXPECT_FALSE(m_library->Init(-1, 44100, AudioLibrary::kInit3D, nullptr));
    EXPECT_EQ(m_library->ErrorCode(), kErrorDevice);
    struct Call {
        const char* name;
        bool (*run)(AudioLibrary&, const std::vector<uint8_t>&);
    };
    const Call calls[] = {
        {"stream", [](AudioLibrary& l, const std::vector<uint8_t>& ogg) {
             return l.StreamCreate(true, ogg.data(), 0, static_cast<uint32_t>(ogg.size()), 0) != 0;
         }},
        {"play", [](AudioLibrary& l, const std::vector<uint8_t>&) { return l.ChannelPlay(0x10001, true); }},
        {"stop", [](AudioLibrary& l, const std::vector<uint8_t>&) { return l.ChannelStop(0x10001); }},
        {"factors", [](AudioLibrary& l, const std::vector<uint8_t>&) { return l.Set3DFactors(1, 7, 1); }},
        {"listener", [](AudioLibrary& l, const std::vector<uint8_t>&) {
             AudioVector f{0, 0, 1}, t{0, 1, 0};
             return l.Set3DPosition(nullptr, nullptr, &f, &t);
         }},
        {"free", [](AudioLibrary& l, const std::vector<uint8_t>&) { return l.Free(); }},
        {"device", [](AudioLibrary& l, const std::vector<uint8_t>&) { return l.Device() != 0xFFFFFFFFu; }},
    };
    for (const Call& call : calls) {
        SCOPED_TRACE(call.name);
        EXPECT_FALSE(call.run(*m_library, m_ogg));
        EXPECT_EQ(m_library->ErrorCode(), kErrorNotInitialized);
    }
    m_library->Apply3D();
    EXPECT_EQ(m_device->Calls(), Lines{"Open 44100"});
    EXPECT_EQ(m_library->DeviceDescription(m_library->Device()), nullptr);
}

TEST_F(AudioLibraryTest, VolumeIsTheChannelsTimesTheGlobalStreamVolume)
{
    ASSERT_TRUE(m_library->Init(-1, 44100, AudioLibrary::kInit3D, nullptr));
    const uint32_t a = Stream(0);
    ASSERT_NE(a, 0u);
    m_device->ClearCalls();
    struct Step {
        const char* what;
        int32_t channel;  // -1: change the global volume instead.
        uint32_t value;
        const char* line;  // Expected device call; null for none.
        uint32_t global;   // GetConfig afterwards.
    };
    const Step steps[] = {
        {"channel 50", 50, 0, "Volume 1 0.5", 100},
        {"global 40", -1, 40, "Volume 1 0.2", 40},
        {"global 150 counts as 100", -1, 150, "Volume 1 0.5", 100},
        {"global 0 silences", -1, 0, "Volume 1 0", 0},
        {"channel 100 at global 0", 100, 0, "Volume 1 0", 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        m_device->ClearCalls();
        if (step.channel >= 0)
            EXPECT_TRUE(m_library->ChannelSetAttributes(a, -1, step.channel, -101));
        else
            EXPECT_TRUE(m_library->SetConfig(AudioLibrary::kConfigStreamVolume, step.value));
        EXPECT_EQ(m_device->Calls(), Lines{step.line});
        EXPECT_EQ(m_library->GetConfig(AudioLibrary::kConfigStreamVolume), step.global);
    }
    m_device->ClearCalls();
    EXPECT_FALSE(m_library->ChannelSetAttributes(a, -1, 101, -101));
    EXPECT_EQ(m_library->ErrorCode(), kErrorArgument);
    EXPECT_FALSE(m_library->ChannelSetAttributes(a, 22050, -1, -101));
    EXPECT_EQ(m_library->ErrorCode(), kErrorNotAvailable);
    EXPECT_TRUE(m_device->Calls().empty());
}

TEST_F(AudioLibraryTest, ThreeDChangesReachTheDeviceTogetherAtApply3D)
{
    ASSERT_TRUE(m_library->Init(-1, 44100, AudioLibrary::kInit3D, nullptr));
    const uint32_t a = Stream(AudioStream::kFlag3D), b = Stream(AudioStream::kFlag3D);
    ASSERT_TRUE(a && b);
    m_library->Apply3D();  // Defaults of the device and the two new streams.
    m_device->ClearCalls();

    const AudioVector position{3, 0, -1};
    const AudioVector front{1, 0, 0}, top{0, 0, 1};
    EXPECT_TRUE(m_library->ChannelSet3DPosition(a, &position, nullptr, nullptr));
    EXPECT_TRUE(m_library->ChannelSet3DAttributes(a, 0, 2.5f, -1.0f, -1, -1, -1));
    EXPECT_TRUE(m_library->Set3DPosition(nullptr, nullptr, &front, &top));
    EXPECT_TRUE(m_library->Set3DFactors(1.0f, 7.0f, 1.0f));
    EXPECT_TRUE(m_device->Calls().empty()) << "nothing reaches the device before Apply3D";
    m_library->Apply3D();
    EXPECT_EQ(m_device->Calls(), (Lines{"Factors 1 7 1", "Listener front 1 0 0 top 0 0 1",
                                        "Voice3D 1 3 0 -1 min 2.5 max 1e+09", "Commit3D"}));
    m_device->ClearCalls();
    m_library->Apply3D();
    EXPECT_TRUE(m_device->Calls().empty()) << "nothing changed, nothing to commit";

    // Negative distances and a null position leave what was set.
    EXPECT_TRUE(m_library->ChannelSet3DAttributes(b, -1, -1.0f, 50.0f, -1, -1, -1));
    EXPECT_TRUE(m_library->ChannelSet3DPosition(b, nullptr, nullptr, nullptr));
    m_library->Apply3D();
    EXPECT_EQ(m_device->Calls(), (Lines{"Voice3D 2 0 0 0 min 1 max 50", "Commit3D"}));

    const uint32_t flat = Stream(0);
    EXPECT_FALSE(m_library->ChannelSet3DPosition(flat, &position, nullptr, nullptr));
    EXPECT_EQ(m_library->ErrorCode(), kErrorNo3D);
    EXPECT_FALSE(m_library->ChannelSet3DAttributes(a, 0, 0.0f, -1.0f, -1, -1, -1));
    EXPECT_EQ(m_library->ErrorCode(), kErrorArgument);
}

TEST_F(AudioLibraryTest, PlayRestartStopAndTheEndOfAStream)
{
    ASSERT_TRUE(m_library->Init(-1, 44100, AudioLibrary::kInit3D, nullptr));
    const uint32_t a = Stream(0);
    ASSERT_NE(a, 0u);
    m_device->ClearCalls();
    struct Step {
        const char* what;
        int action;  // 0 play, 1 play with restart, 2 stop, 3 render past the end.
        const char* line;
        uint32_t active;
    };
    const Step steps[] = {
        {"play", 0, "Start 1", 1},
        {"play again goes on", 0, nullptr, 1},
        {"restart", 1, "Start 1 restart", 1},
        {"stop", 2, "Stop 1", 0},
        {"play resumes", 0, "Start 1", 1},
        {"runs out", 3, nullptr, 0},
        {"play at the end stays at the end", 0, nullptr, 0},
        {"restart plays it again", 1, "Start 1 restart", 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        m_device->ClearCalls();
        switch (step.action) {
        case 0: EXPECT_TRUE(m_library->ChannelPlay(a, false)); break;
        case 1: EXPECT_TRUE(m_library->ChannelPlay(a, true)); break;
        case 2: EXPECT_TRUE(m_library->ChannelStop(a)); break;
        default: m_device->Render(1, 44100); break;
        }
        EXPECT_EQ(m_device->Calls(), step.line ? Lines{step.line} : Lines{});
        EXPECT_EQ(m_library->ChannelIsActive(a), step.active);
    }
    // After a restart the stream gives its frames from the first again: 0.25 s of them.
    EXPECT_EQ(m_device->Render(1, 44100).size(), 11025u * 2);
}

TEST_F(AudioLibraryTest, HandlesStreamsAndLoopFlags)
{
    ASSERT_TRUE(m_library->Init(-1, 44100, 0, nullptr));
    EXPECT_EQ(Stream(AudioStream::kFlag3D), 0u) << "no 3D streams on a device opened without 3D";
    EXPECT_EQ(m_library->ErrorCode(), kErrorNo3D);
    EXPECT_EQ(m_library->StreamCreate(false, m_ogg.data(), 0, 10, 0), 0u);
    EXPECT_EQ(m_library->ErrorCode(), kErrorNotAvailable);
    EXPECT_EQ(m_library->StreamCreate(true, nullptr, 0, 10, 0), 0u);
    EXPECT_EQ(m_library->ErrorCode(), kErrorNoData);

    const uint32_t a = Stream(0), b = Stream(0);
    ASSERT_TRUE(a && b && a != b);
    EXPECT_EQ(m_library->ErrorCode(), kOk);
    EXPECT_TRUE(m_library->ChannelSetFlags(a, AudioStream::kFlagLoop));
    EXPECT_TRUE(m_library->ChannelPlay(a, true));
    // Looping: a whole second from a quarter-second sound.
    EXPECT_EQ(m_device->Render(1, 44100).size(), 44100u * 2);
    EXPECT_EQ(m_library->ChannelIsActive(a), 1u);
    EXPECT_TRUE(m_library->ChannelSetFlags(a, 0));
    EXPECT_LT(m_device->Render(1, 44100).size(), 44100u * 2);
    EXPECT_EQ(m_library->ChannelIsActive(a), 0u);

    EXPECT_TRUE(m_library->StreamFree(a));
    for (const uint32_t gone : {a, 0u, 0xDEADu}) {
        EXPECT_FALSE(m_library->ChannelPlay(gone, false));
        EXPECT_EQ(m_library->ErrorCode(), kErrorHandle);
        EXPECT_EQ(m_library->ChannelIsActive(gone), 0u);
    }
    EXPECT_EQ(m_device->VoiceCount(), 1u);
    ASSERT_TRUE(m_library->Free());
    EXPECT_EQ(m_device->VoiceCount(), 0u) << "freeing the device frees every stream";
    EXPECT_FALSE(m_library->ChannelPlay(b, false));
}

}  // namespace
}  // namespace zen::audio
