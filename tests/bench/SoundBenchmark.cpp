// Sound: the cost of decoding and streaming sixteen channels at once, as the device's refill
// thread pulls them (one pull of 20 ms per channel per round), and the memory each channel
// holds. core_percent is the share of one core the streaming takes per second of sound; the
// sounds are 44.1 kHz stereo tones encoded by libvorbisenc (quality 0.4) and lame (128 kbit/s),
// looping.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <time.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/AudioLibrary.h"
#include "audio/AudioStream.h"
#include "audio/RecordingAudioOutput.h"
#include "support/SoundFiles.h"

namespace {

using namespace zen;

constexpr int kChannels = 16;
constexpr uint32_t kPullFrames = 882;  // 20 ms at 44.1 kHz.

std::vector<uint8_t> MakeFile(bool mp3)
{
    const test::Samples tone = test::MakeTone(44100, 2, 3.0, 440);
    if (!mp3)
        return test::EncodeVorbis(tone, 0.4f);
    std::vector<uint8_t> file;
    std::string why;
    return test::EncodeMp3(tone, "-b 128", file, why) ? file : std::vector<uint8_t>{};
}

void SoundStreamSixteenChannels(benchmark::State& state, bool mp3)
{
    const std::vector<uint8_t> file = MakeFile(mp3);
    if (file.empty()) {
        state.SkipWithError("no encoder for the sound file");
        return;
    }
    auto output = std::make_unique<audio::RecordingAudioOutput>();
    audio::RecordingAudioOutput* device = output.get();
    audio::AudioLibrary library(std::move(output));
    if (!library.Init(-1, 44100, audio::AudioLibrary::kInit3D, nullptr)) {
        state.SkipWithError("no device");
        return;
    }
    const size_t heapBefore = mallinfo2().uordblks;
    std::vector<uint32_t> streams;
    for (int i = 0; i < kChannels; ++i) {
        // Half of them 3D (mixed down to mono), as the scene's positional sounds are.
        const uint32_t flags = audio::AudioStream::kFlagLoop | (i % 2 ? audio::AudioStream::kFlag3D : 0);
        streams.push_back(library.StreamCreate(true, file.data(), 0, static_cast<uint32_t>(file.size()), flags));
        library.ChannelPlay(streams.back(), true);
    }
    const size_t heapPerChannel = (mallinfo2().uordblks - heapBefore) / kChannels;
    timespec start{}, end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    for (auto _ : state) {
        for (uint32_t voice = 1; voice <= kChannels; ++voice)
            benchmark::DoNotOptimize(device->Render(voice, kPullFrames).data());
        device->ClearCalls();
    }
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    // Each iteration is 20 ms of sound on every channel: the thread's processor time over the
    // sound's time is the share of one core.
    const double seconds = static_cast<double>(end.tv_sec - start.tv_sec) + 1e-9 * static_cast<double>(end.tv_nsec - start.tv_nsec);
    state.counters["core_percent"] = 100.0 * seconds / (0.02 * static_cast<double>(state.iterations()));
    state.counters["bytes_per_channel"] = static_cast<double>(heapPerChannel);
    state.counters["file_bytes"] = static_cast<double>(file.size());
}

BENCHMARK_CAPTURE(SoundStreamSixteenChannels, Ogg, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SoundStreamSixteenChannels, Mp3, true)->Unit(benchmark::kMicrosecond);

}  // namespace
