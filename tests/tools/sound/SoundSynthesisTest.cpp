#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "tools/sound/Score.h"
#include "tools/sound/SeaSounds.h"
#include "tools/sound/SoundBuffer.h"

namespace zen::sound {
namespace {

constexpr float kTwoPi = 6.28318530718f;

float Rms(const std::vector<float>& samples, size_t begin, size_t end)
{
    double sum = 0;
    for (size_t i = begin; i < end; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return static_cast<float>(std::sqrt(sum / static_cast<double>(std::max<size_t>(end - begin, 1))));
}

// The typical step between neighbouring samples of one channel, and the step across the loop
// point (from the last frame back to the first): a seamless loop's is no larger than usual.
struct Seam {
    float typical;
    float across;
};
Seam LoopSeam(const SoundBuffer& sound, int channel)
{
    const size_t c = static_cast<size_t>(sound.channels), frames = sound.Frames();
    std::vector<float> steps;
    for (size_t i = 1; i < frames; ++i)
        steps.push_back(std::abs(sound.samples[i * c + channel] - sound.samples[(i - 1) * c + channel]));
    std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() * 99 / 100), steps.end());
    return {steps[steps.size() * 99 / 100],
            std::abs(sound.samples[static_cast<size_t>(channel)] - sound.samples[(frames - 1) * c + channel])};
}

// The dominant pitch of a stretch by autocorrelation over lags for `low`..`high` Hz.
float Pitch(const std::vector<float>& samples, size_t begin, size_t length, float rate, float low, float high)
{
    const size_t minLag = static_cast<size_t>(rate / high), maxLag = static_cast<size_t>(rate / low);
    size_t best = minLag;
    double bestScore = -1;
    for (size_t lag = minLag; lag <= maxLag; ++lag) {
        double score = 0;
        for (size_t i = begin; i < begin + length; ++i)
            score += static_cast<double>(samples[i]) * samples[i + lag];
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return rate / static_cast<float>(best);
}

TEST(SoundBuffer, FoldLoopJoinsTheEndToTheStart)
{
    // A sine whose period does not divide the length jumps at the loop point until folded.
    SoundBuffer tone;
    tone.samples.resize(44100);
    for (size_t i = 0; i < tone.samples.size(); ++i)
        tone.samples[i] = std::sin(kTwoPi * 441.7f * static_cast<float>(i) / 44100.0f);
    EXPECT_GT(LoopSeam(tone, 0).across, 0.3f);
    tone.FoldLoop(4410);
    EXPECT_EQ(tone.Frames(), 44100u - 4410u);
    const Seam seam = LoopSeam(tone, 0);
    EXPECT_LE(seam.across, seam.typical * 1.05f);
    // Too long a fade leaves the sound as it was.
    SoundBuffer shortSound;
    shortSound.samples = {0.1f, 0.2f, 0.3f};
    shortSound.FoldLoop(2);
    EXPECT_EQ(shortSound.samples.size(), 3u);
}

TEST(SoundBuffer, WrapTailKeepsEverySampleAndTheLength)
{
    SoundBuffer stereo;
    stereo.channels = 2;
    for (int i = 0; i < 10; ++i)
        stereo.samples.insert(stereo.samples.end(), {static_cast<float>(i), -static_cast<float>(i)});
    const float before = std::accumulate(stereo.samples.begin(), stereo.samples.end(), 0.0f, [](float a, float b) {
        return a + std::abs(b);
    });
    stereo.WrapTail(6);
    ASSERT_EQ(stereo.Frames(), 6u);
    // Frames 6..9 land on 0..3 in their own channels.
    EXPECT_FLOAT_EQ(stereo.samples[0], 0 + 6);
    EXPECT_FLOAT_EQ(stereo.samples[1], -(0 + 6));
    EXPECT_FLOAT_EQ(stereo.samples[6], 3 + 9);
    EXPECT_FLOAT_EQ(stereo.samples[10], 5);
    const float after = std::accumulate(stereo.samples.begin(), stereo.samples.end(), 0.0f, [](float a, float b) {
        return a + std::abs(b);
    });
    EXPECT_FLOAT_EQ(before, after);
}

TEST(SeaSounds, LoopsAreSeamlessAndTheCallsHaveTheirPitch)
{
    for (const SoundBuffer& loop : {SeaSounds::Surf(), SeaSounds::Wind()}) {
        EXPECT_GE(loop.Seconds(), 10.0f);
        EXPECT_LE(loop.Peak(), 0.81f);
        const Seam seam = LoopSeam(loop, 0);
        EXPECT_LE(seam.across, seam.typical * 1.5f);
        // Never silent for a second: the sea and the wind go on.
        for (size_t s = 0; s + 44100 <= loop.samples.size(); s += 44100)
            EXPECT_GT(Rms(loop.samples, s, s + 44100), 0.01f);
    }
    // The foghorn's buzz sits near 98 Hz while it holds; it fades in and out.
    const SoundBuffer horn = SeaSounds::Foghorn();
    EXPECT_NEAR(Pitch(horn.samples, 44100, 8192, 44100.0f, 60, 300), 98.0f, 3.0f);
    EXPECT_LT(Rms(horn.samples, 0, 441), 0.05f * Rms(horn.samples, 44100, 88200));
    EXPECT_LT(Rms(horn.samples, horn.samples.size() - 4410, horn.samples.size()), 0.05f);
    // The gull cries are high (1-3 kHz), with silences between calls.
    for (int variant : {0, 1}) {
        const SoundBuffer gull = SeaSounds::Gull(variant);
        const float pitch = Pitch(gull.samples, 6615, 2048, 44100.0f, 300, 3000);
        EXPECT_GT(pitch, 300.0f) << variant;
        EXPECT_LT(Rms(gull.samples, gull.samples.size() - 441, gull.samples.size()), 0.02f) << variant;
    }
}

TEST(Score, TwoMinutesOfStereoThatLoopsAndNeverFallsSilent)
{
    const SoundBuffer music = Score::Render();
    EXPECT_EQ(music.channels, 2);
    EXPECT_GE(music.Seconds(), 120.0f);
    EXPECT_NEAR(music.Seconds(), Score::kBars * Score::BarSeconds(), 0.01f);
    EXPECT_LE(music.Peak(), 0.81f);
    for (int channel : {0, 1}) {
        const Seam seam = LoopSeam(music, channel);
        EXPECT_LE(seam.across, seam.typical * 1.5f) << channel;
    }
    // Every five seconds carry music, and the two channels differ (a stereo picture, not mono).
    const size_t window = 5 * 44100 * 2;
    double difference = 0;
    for (size_t s = 0; s + window <= music.samples.size(); s += window)
        EXPECT_GT(Rms(music.samples, s, s + window), 0.02f) << "at " << s / 88200 << " s";
    for (size_t i = 0; i + 1 < music.samples.size(); i += 2)
        difference += std::abs(music.samples[i] - music.samples[i + 1]);
    EXPECT_GT(difference / static_cast<double>(music.Frames()), 0.005);
}

}  // namespace
}  // namespace zen::sound
