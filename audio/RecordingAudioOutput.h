#pragma once
#include <map>
#include <string>
#include <vector>

#include "audio/AudioOutput.h"

namespace zen::audio {

// A device that plays nothing and writes each call down as one line of text ("Start 1 restart",
// "Volume 1 0.5", "Voice3D 1 3 0 0 min 1 max 1e+09", "Commit3D"), so tests can check what the
// library asked of its device and when. Render pulls a voice's samples the way a device would.
class RecordingAudioOutput : public AudioOutput {
public:
    bool Open(void* window, uint32_t sampleRate, std::mutex* lock) override;
    void Close() override;
    const char* Description() const override { return "Recording"; }

    uint32_t CreateVoice(const VoiceFormat& format, VoiceSource* source) override;
    void DestroyVoice(uint32_t voice) override;
    void StartVoice(uint32_t voice, bool fromStart) override;
    void StopVoice(uint32_t voice) override;
    void SetVoiceVolume(uint32_t voice, float gain) override;
    void SetVoice3D(uint32_t voice, const AudioVector& position, float minDistance, float maxDistance) override;
    void SetListener(const AudioVector& front, const AudioVector& top) override;
    void SetFactors(float distance, float rolloff, float doppler) override;
    void Commit3D() override;

    // Tests
    void SetDeviceAvailable(bool available) { m_available = available; }
    const std::vector<std::string>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    // Pulls `frames` frames from the voice's stream under the library's lock; the samples
    // pulled (fewer at the end of a stream). Empty for an unknown voice.
    std::vector<float> Render(uint32_t voice, uint32_t frames);
    bool IsOpen() const { return m_open; }
    uint32_t VoiceCount() const { return static_cast<uint32_t>(m_voices.size()); }
    uint32_t LastVoice() const { return m_nextVoice - 1; }  // The newest voice made; 0 before any.

private:
    struct Voice {
        VoiceFormat format;
        VoiceSource* source = nullptr;  // The library's stream; not owned.
    };
    void Record(const char* format, ...) __attribute__((format(printf, 2, 3)));

    bool m_available = true;
    bool m_open = false;
    std::mutex* m_lock = nullptr;  // The library's; not owned.
    uint32_t m_nextVoice = 1;
    std::map<uint32_t, Voice> m_voices;
    std::vector<std::string> m_calls;
};

}  // namespace zen::audio
