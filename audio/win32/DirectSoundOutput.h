#pragma once
#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "audio/AudioOutput.h"

struct IDirectSound8;
struct IDirectSoundBuffer;
struct IDirectSound3DBuffer;
struct IDirectSound3DListener;

namespace zen::audio {

// The Windows device: one DirectSound secondary buffer per voice (3D buffers for 3D voices,
// whose distance law and panning DirectSound applies), each a kBufferMilliseconds ring of
// 16-bit samples that a thread of ours refills every kRefillMilliseconds from the voice's
// stream. 3D settings are deferred and committed together. Without a sound device Open fails.
class DirectSoundOutput : public AudioOutput {
public:
    static constexpr uint32_t kBufferMilliseconds = 200;
    static constexpr uint32_t kRefillMilliseconds = 20;

    DirectSoundOutput() = default;
    ~DirectSoundOutput() override;

    bool Open(void* window, uint32_t sampleRate, std::mutex* lock) override;
    void Close() override;
    const char* Description() const override { return "DirectSound"; }

    uint32_t CreateVoice(const VoiceFormat& format, VoiceSource* source) override;
    void DestroyVoice(uint32_t voice) override;
    void StartVoice(uint32_t voice, bool fromStart) override;
    void StopVoice(uint32_t voice) override;
    void SetVoiceVolume(uint32_t voice, float gain) override;
    void SetVoice3D(uint32_t voice, const AudioVector& position, float minDistance, float maxDistance) override;
    void SetListener(const AudioVector& front, const AudioVector& top) override;
    void SetFactors(float distance, float rolloff, float doppler) override;
    void Commit3D() override;

private:
    struct Voice {
        VoiceFormat format;
        VoiceSource* source = nullptr;          // The library's stream; not owned.
        IDirectSoundBuffer* buffer = nullptr;   // Owned reference.
        IDirectSound3DBuffer* buffer3D = nullptr;
        uint32_t bytes = 0;                     // Ring size.
        uint32_t blockAlign = 0;
        uint32_t writeAt = 0;                   // Next byte of the ring to fill.
        bool playing = false;
        bool sourceEnded = false;
        uint32_t silenceWritten = 0;            // Bytes of silence since the stream ended.
    };
    void Fill(Voice& voice, uint32_t bytes);
    void Refill(Voice& voice);
    void RefillLoop();
    void ReleaseVoice(Voice& voice);

    std::mutex* m_lock = nullptr;  // The library's lock; not owned.
    IDirectSound8* m_sound = nullptr;
    IDirectSoundBuffer* m_primary = nullptr;
    IDirectSound3DListener* m_listener = nullptr;
    std::map<uint32_t, Voice> m_voices;
    uint32_t m_nextVoice = 1;
    std::vector<float> m_floats;  // Pull scratch (refill thread and starts, under the lock).
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

}  // namespace zen::audio
