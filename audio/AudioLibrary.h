#pragma once
#include <map>
#include <memory>
#include <mutex>

#include "audio/AudioOutput.h"
#include "audio/AudioStream.h"

namespace zen::audio {

// The audio library's logic behind its C entry points (LibraryExports.cpp): the device's
// state, stream handles, channel states and volumes, the global stream volume, 3D attributes
// batched until Apply3D, and the last error. It knows its device only as an AudioOutput, so
// the same logic runs on DirectSound and, in tests, on RecordingAudioOutput.
//
// Every call but the configuration ones needs an initialised device; without one they fail
// with kErrorNotInitialized and change nothing, so a program whose device could not be opened
// runs silent. Calls are serialised by one lock, which the device's own thread also takes.
class AudioLibrary {
public:
    static constexpr uint32_t kVersion = 0x20002;
    static constexpr uint32_t kConfigStreamVolume = 5;
    static constexpr uint32_t kInit3D = 4;
    static constexpr uint32_t kStreamFromMemory = 1;

    explicit AudioLibrary(std::unique_ptr<AudioOutput> output);
    ~AudioLibrary();

    // Device
    bool Init(int32_t device, uint32_t sampleRate, uint32_t flags, void* window);
    bool Free();
    uint32_t Device();                              // 1 when initialised; 0xFFFFFFFF otherwise.
    const char* DeviceDescription(uint32_t device); // Null for a device that does not exist.
    int32_t ErrorCode();
    bool SetConfig(uint32_t option, uint32_t value);
    uint32_t GetConfig(uint32_t option);            // 0xFFFFFFFF for an option not offered.
    // The last error becomes kErrorNotAvailable (entry points the library only carries).
    void Unavailable();

    // 3D world: listener and factors; all 3D changes reach the device at Apply3D.
    bool Set3DFactors(float distance, float rolloff, float doppler);
    bool Set3DPosition(const AudioVector* position, const AudioVector* velocity, const AudioVector* front,
                       const AudioVector* top);
    void Apply3D();

    // Streams over bytes in memory that the caller keeps until StreamFree.
    uint32_t StreamCreate(bool fromMemory, const void* data, uint32_t offset, uint32_t length, uint32_t flags);
    bool StreamFree(uint32_t handle);

    // Channels
    bool ChannelSetFlags(uint32_t handle, uint32_t flags);
    bool ChannelSetAttributes(uint32_t handle, int32_t frequency, int32_t volume, int32_t pan);
    bool ChannelSet3DAttributes(uint32_t handle, int32_t mode, float minDistance, float maxDistance,
                                int32_t insideAngle, int32_t outsideAngle, int32_t outsideVolume);
    bool ChannelSet3DPosition(uint32_t handle, const AudioVector* position, const AudioVector* orientation,
                              const AudioVector* velocity);
    bool ChannelPlay(uint32_t handle, bool restart);
    bool ChannelStop(uint32_t handle);
    uint32_t ChannelIsActive(uint32_t handle);  // 1 playing, 0 stopped, ended or no such stream.

    AudioOutput& Output() { return *m_output; }
    std::mutex& Lock() { return m_lock; }

private:
    bool Fail(int32_t error);
    uint32_t FailHandle(int32_t error);  // A handle-returning call's failure: 0.
    bool Succeed();
    bool NeedDevice();
    AudioStream* Find(uint32_t handle);
    void ApplyVolume(AudioStream& stream);

    std::mutex m_lock;
    std::unique_ptr<AudioOutput> m_output;
    bool m_initialized = false;
    bool m_device3D = false;
    int32_t m_error = 0;
    uint32_t m_streamVolume = 100;         // Global stream volume, 0 to 100.
    uint32_t m_nextHandle = 0x10001;
    std::map<uint32_t, std::unique_ptr<AudioStream>> m_streams;

    AudioVector m_front{0, 0, 1};
    AudioVector m_top{0, 1, 0};
    float m_distanceFactor = 1.0f, m_rolloffFactor = 1.0f, m_dopplerFactor = 1.0f;
    bool m_pendingListener = false;
    bool m_pendingFactors = false;
};

}  // namespace zen::audio
