#pragma once
#include <cstdint>
#include <mutex>

// The sound device under the audio library: voices that pull samples from the library's
// streams, their volume and 3D placement, and the listener. DirectSoundOutput plays them on
// Windows; RecordingAudioOutput writes down what it was asked to do, for tests. Every call
// comes with the library's lock held; a back end that pulls samples on its own thread takes
// the same lock (given to Open) around each pull.
namespace zen::audio {

struct AudioVector {
    float x = 0, y = 0, z = 0;
};

// What a voice plays: the library's stream. Pull writes up to `frames` frames of the voice's
// channel count and returns how many it wrote; fewer means the stream has ended.
class VoiceSource {
public:
    virtual uint32_t Pull(float* out, uint32_t frames) = 0;

protected:
    ~VoiceSource() = default;
};

struct VoiceFormat {
    uint32_t sampleRate = 44100;
    uint32_t channels = 2;  // 1 for 3D voices.
    bool is3D = false;
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Opens the default device. `window` may be null. False when there is no device.
    virtual bool Open(void* window, uint32_t sampleRate, std::mutex* lock) = 0;
    virtual void Close() = 0;
    virtual const char* Description() const = 0;

    // A voice for `source` (not owned; it outlives the voice); 0 on failure.
    virtual uint32_t CreateVoice(const VoiceFormat& format, VoiceSource* source) = 0;
    virtual void DestroyVoice(uint32_t voice) = 0;
    // Starts the voice; `fromStart`: whatever was pulled before is dropped (the stream was
    // rewound). A voice whose stream ended stops by itself once the last pulled sample played.
    virtual void StartVoice(uint32_t voice, bool fromStart) = 0;
    virtual void StopVoice(uint32_t voice) = 0;
    // Linear gain, 0 to 1.
    virtual void SetVoiceVolume(uint32_t voice, float gain) = 0;

    // 3D: these take effect together at Commit3D.
    virtual void SetVoice3D(uint32_t voice, const AudioVector& position, float minDistance, float maxDistance) = 0;
    virtual void SetListener(const AudioVector& front, const AudioVector& top) = 0;
    virtual void SetFactors(float distance, float rolloff, float doppler) = 0;
    virtual void Commit3D() = 0;
};

}  // namespace zen::audio
