#pragma once
// What the sound stream targets do with each input: open it as a stream of the audio library,
// the way a sound node does (3D on odd lengths, looping on lengths divisible by three), play
// it and pull up to two seconds of samples as the device would, restart it and pull again.
// The library runs on its recording device, so nothing is played.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "audio/AudioError.h"
#include "audio/AudioLibrary.h"
#include "audio/AudioStream.h"
#include "audio/RecordingAudioOutput.h"

namespace zen::fuzz {

inline void PlaySoundInput(const uint8_t* data, size_t size)
{
    static audio::RecordingAudioOutput* device = nullptr;
    static audio::AudioLibrary* library = [] {
        auto output = std::make_unique<audio::RecordingAudioOutput>();
        device = output.get();
        auto* made = new audio::AudioLibrary(std::move(output));
        if (!made->Init(-1, 44100, audio::AudioLibrary::kInit3D, nullptr))
            __builtin_trap();
        return made;
    }();
    if (size > 0xFFFFFFFFu)
        return;
    const uint32_t flags = (size % 2 ? audio::AudioStream::kFlag3D : 0) | (size % 3 == 0 ? audio::AudioStream::kFlagLoop : 0);
    const uint32_t stream = library->StreamCreate(true, data, 0, static_cast<uint32_t>(size), flags);
    if (!stream) {
        if (library->ErrorCode() == audio::kOk)
            __builtin_trap();  // A failure must say why.
        return;
    }
    (void)library->ChannelPlay(stream, false);
    for (int round = 0; round < 2; ++round) {
        uint32_t pulled = 0;
        while (pulled < 88200) {
            const size_t got = device->Render(device->LastVoice(), 4096).size();
            if (got == 0)
                break;
            pulled += 4096;
        }
        (void)library->ChannelPlay(stream, true);
    }
    device->ClearCalls();
    (void)library->StreamFree(stream);
}

}  // namespace zen::fuzz
