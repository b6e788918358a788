#pragma once
#include <memory>
#include <vector>

#include "audio/AudioOutput.h"
#include "audio/SoundDecoder.h"

namespace zen::audio {

// One stream of the library: a decoder over the caller's bytes, its play state, volume and 3D
// placement, and the voice of the device that plays it. The device pulls samples through Pull,
// which loops seamlessly when the loop flag is on (the frame after the last is the first, in
// the same pull) and turns a stereo sound into mono for a 3D voice.
class AudioStream final : public VoiceSource {
public:
    static constexpr uint32_t kFlagLoop = 4;
    static constexpr uint32_t kFlag3D = 8;

    AudioStream(std::unique_ptr<SoundDecoder> decoder, uint32_t flags);

    uint32_t Pull(float* out, uint32_t frames) override;

    SoundDecoder& Decoder() { return *m_decoder; }
    uint32_t OutputChannels() const { return Is3D() ? 1 : m_decoder->Channels(); }
    bool Is3D() const { return (m_flags & kFlag3D) != 0; }
    bool Loops() const { return (m_flags & kFlagLoop) != 0; }
    void SetLoop(bool loop) { m_flags = loop ? (m_flags | kFlagLoop) : (m_flags & ~kFlagLoop); }

    // Play state: playing until stopped or until a stream that does not loop runs out; ended
    // from running out until it is played from the start again.
    bool playing = false;
    bool ended = false;
    int32_t volume = 100;  // 0 to 100.
    uint32_t voice = 0;    // The device's voice; 0 when the device could not make one.

    // 3D placement, handed to the device at the next Apply3D when pending3D.
    AudioVector position;
    float minDistance = 1.0f;
    float maxDistance = 1.0e9f;
    bool pending3D = true;

private:
    std::unique_ptr<SoundDecoder> m_decoder;
    uint32_t m_flags = 0;
    std::vector<float> m_scratch;  // Stereo frames before they are mixed down to mono.
};

}  // namespace zen::audio
