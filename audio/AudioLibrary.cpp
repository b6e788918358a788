#include "audio/AudioLibrary.h"

#include <new>

#include "audio/AudioError.h"

namespace zen::audio {

using Guard = std::lock_guard<std::mutex>;

AudioLibrary::AudioLibrary(std::unique_ptr<AudioOutput> output) : m_output(std::move(output)) {}

AudioLibrary::~AudioLibrary()
{
    Free();
}

bool AudioLibrary::Fail(int32_t error)
{
    m_error = error;
    return false;
}

uint32_t AudioLibrary::FailHandle(int32_t error)
{
    m_error = error;
    return 0;
}

bool AudioLibrary::Succeed()
{
    m_error = kOk;
    return true;
}

bool AudioLibrary::NeedDevice()
{
    return m_initialized || Fail(kErrorNotInitialized);
}

AudioStream* AudioLibrary::Find(uint32_t handle)
{
    auto found = m_streams.find(handle);
    if (found == m_streams.end()) {
        Fail(m_initialized ? kErrorHandle : kErrorNotInitialized);
        return nullptr;
    }
    return found->second.get();
}

void AudioLibrary::ApplyVolume(AudioStream& stream)
{
    if (stream.voice)
        m_output->SetVoiceVolume(stream.voice, static_cast<float>(stream.volume) / 100.0f *
                                                   static_cast<float>(m_streamVolume) / 100.0f);
}

// --- Device ------------------------------------------------------------------------------------

bool AudioLibrary::Init(int32_t device, uint32_t sampleRate, uint32_t flags, void* window)
{
    Guard held(m_lock);
    if (m_initialized)
        return Fail(kErrorAlready);
    // Only the default device (-1) or the first (1) exists; 0 would mean "no sound".
    if ((device != -1 && device != 1) || sampleRate == 0)
        return Fail(kErrorArgument);
    if (!m_output->Open(window, sampleRate, &m_lock))
        return Fail(kErrorDevice);
    m_initialized = true;
    m_device3D = (flags & kInit3D) != 0;
    m_front = {0, 0, 1};
    m_top = {0, 1, 0};
    m_distanceFactor = m_rolloffFactor = m_dopplerFactor = 1.0f;
    m_pendingListener = m_pendingFactors = true;
    return Succeed();
}

bool AudioLibrary::Free()
{
    Guard held(m_lock);
    if (!m_initialized)
        return Fail(kErrorNotInitialized);
    for (auto& [handle, stream] : m_streams)
        if (stream->voice)
            m_output->DestroyVoice(stream->voice);
    m_streams.clear();
    m_output->Close();
    m_initialized = false;
    return Succeed();
}

uint32_t AudioLibrary::Device()
{
    Guard held(m_lock);
    if (!NeedDevice())
        return 0xFFFFFFFFu;
    Succeed();
    return 1;
}

const char* AudioLibrary::DeviceDescription(uint32_t device)
{
    Guard held(m_lock);
    if (device != 1) {
        Fail(kErrorArgument);
        return nullptr;
    }
    Succeed();
    return m_output->Description();
}

int32_t AudioLibrary::ErrorCode()
{
    Guard held(m_lock);
    return m_error;
}

bool AudioLibrary::SetConfig(uint32_t option, uint32_t value)
{
    Guard held(m_lock);
    if (option != kConfigStreamVolume)
        return Fail(kErrorNotAvailable);
    m_streamVolume = value > 100 ? 100 : value;
    for (auto& [handle, stream] : m_streams)
        ApplyVolume(*stream);
    return Succeed();
}

uint32_t AudioLibrary::GetConfig(uint32_t option)
{
    Guard held(m_lock);
    if (option != kConfigStreamVolume) {
        Fail(kErrorNotAvailable);
        return 0xFFFFFFFFu;
    }
    Succeed();
    return m_streamVolume;
}

void AudioLibrary::Unavailable()
{
    Guard held(m_lock);
    Fail(kErrorNotAvailable);
}

// --- 3D world ----------------------------------------------------------------------------------

bool AudioLibrary::Set3DFactors(float distance, float rolloff, float doppler)
{
    Guard held(m_lock);
    if (!NeedDevice())
        return false;
    // Negative values leave a factor as it is.
    if (distance > 0)
        m_distanceFactor = distance;
    if (rolloff >= 0)
        m_rolloffFactor = rolloff;
    if (doppler >= 0)
        m_dopplerFactor = doppler;
    m_pendingFactors = true;
    return Succeed();
}

bool AudioLibrary::Set3DPosition(const AudioVector*, const AudioVector*, const AudioVector* front,
                                 const AudioVector* top)
{
    Guard held(m_lock);
    if (!NeedDevice())
        return false;
    // The listener stays at the origin (streams are placed relative to it by the caller);
    // only its orientation turns. Position and velocity are accepted and not used.
    // A listener that has not turned since the last frame costs the device nothing: the
    // saver sets it every frame, and most shots hold the camera's heading for seconds.
    auto same = [](const AudioVector& a, const AudioVector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    if (front && top && !(same(*front, m_front) && same(*top, m_top))) {
        m_front = *front;
        m_top = *top;
        m_pendingListener = true;
    }
    return Succeed();
}

void AudioLibrary::Apply3D()
{
    Guard held(m_lock);
    if (!NeedDevice())
        return;
    bool changed = false;
    if (m_pendingFactors) {
        m_output->SetFactors(m_distanceFactor, m_rolloffFactor, m_dopplerFactor);
        m_pendingFactors = false;
        changed = true;
    }
    if (m_pendingListener) {
        m_output->SetListener(m_front, m_top);
        m_pendingListener = false;
        changed = true;
    }
    for (auto& [handle, stream] : m_streams) {
        if (stream->Is3D() && stream->pending3D && stream->voice) {
            m_output->SetVoice3D(stream->voice, stream->position, stream->minDistance, stream->maxDistance);
            stream->pending3D = false;
            changed = true;
        }
    }
    if (changed)
        m_output->Commit3D();
    Succeed();
}

// --- Streams -----------------------------------------------------------------------------------

uint32_t AudioLibrary::StreamCreate(bool fromMemory, const void* data, uint32_t offset, uint32_t length,
                                    uint32_t flags)
{
    Guard held(m_lock);
    if (!NeedDevice())
        return 0;
    if (!fromMemory)
        return FailHandle(kErrorNotAvailable);
    if (!data || length == 0)
        return FailHandle(kErrorNoData);
    if ((flags & AudioStream::kFlag3D) && !m_device3D)
        return FailHandle(kErrorNo3D);
    int32_t error = kOk;
    std::unique_ptr<SoundDecoder> decoder =
        SoundDecoder::Open(static_cast<const uint8_t*>(data) + offset, length, &error);
    if (!decoder)
        return FailHandle(error);
    std::unique_ptr<AudioStream> stream(new (std::nothrow)
                                            AudioStream(std::move(decoder), flags & (AudioStream::kFlagLoop | AudioStream::kFlag3D)));
    if (!stream)
        return FailHandle(kErrorMemory);
    VoiceFormat format;
    format.sampleRate = stream->Decoder().SampleRate();
    format.channels = stream->OutputChannels();
    format.is3D = stream->Is3D();
    stream->voice = m_output->CreateVoice(format, stream.get());
    if (!stream->voice)
        return FailHandle(kErrorMemory);
    const uint32_t handle = m_nextHandle++;
    if (m_nextHandle == 0)
        m_nextHandle = 0x10001;
    AudioStream& made = *stream;
    m_streams[handle] = std::move(stream);
    ApplyVolume(made);
    Succeed();
    return handle;
}

bool AudioLibrary::StreamFree(uint32_t handle)
{
    Guard held(m_lock);
    AudioStream* stream = Find(handle);
    if (!stream)
        return false;
    if (stream->voice)
        m_output->DestroyVoice(stream->voice);
    m_streams.erase(handle);
    return Succeed();
}

// --- Channels ----------------------------------------------------------------------------------

bool AudioLibrary::ChannelSetFlags(uint32_t handle, uint32_t flags)
{
    Guard held(m_lock);
    AudioStream* stream = Find(handle);
    if (!stream)
        return false;
    stream->SetLoop((flags & AudioStream::kFlagLoop) != 0);
    return Succeed();
}

bool AudioLibrary::ChannelSetAttributes(uint32_t handle, int32_t frequency, int32_t volume, int32_t pan)
{
    Guard held(m_lock);
    AudioStream* stream = Find(handle);
    if (!stream)
        return false;
    // -1 (frequency, volume) and -101 (pan) leave a value as it is. Streams play at their own
    // rate and centred: other frequencies and pans are not offered.
    if (frequency != -1 || pan != -101)
        return Fail(kErrorNotAvailable);
    if (volume < -1 || volume > 100)
        return Fail(kErrorArgument);
    if (volume >= 0) {
        stream->volume = volume;
        ApplyVolume(*stream);
    }
    return Succeed();
}

bool AudioLibrary::ChannelSet3DAttributes(uint32_t handle, int32_t mode, float minDistance, float maxDistance,
                                          int32_t, int32_t, int32_t)
{
    Guard held(m_lock);
    AudioStream* stream = Find(handle);
    if (!stream)
        return false;
    if (!stream->Is3D())
        return Fail(kErrorNo3D);
    // Only the normal mode (0) is offered; -1 and the negative distances leave a setting as it
    // is. Sound cones (the angles and the outside volume) are not offered and are ignored.
    if (mode != 0 && mode != -1)
        return Fail(kErrorNotAvailable);
    if (minDistance == 0)
        return Fail(kErrorArgument);
    if (minDistance > 0)
        stream->minDistance = minDistance;
    if (maxDistance > 0)
        stream->maxDistance = maxDistance;
    stream->pending3D = true;
    return Succeed();
}

bool AudioLibrary::ChannelSet3DPosition(uint32_t handle, const AudioVector* position, const AudioVector*,
                                        const AudioVector*)
{
    Guard held(m_lock);
    AudioStream* stream = Find(handle);
    if (!stream)
        return false;
    if (!stream->Is3D())
        return Fail(kErrorNo3D);
    // Orientation and velocity are accepted and not used (no cones, no Doppler shift).
    if (position) {
        stream->position = *position;
        stream->pending3D = true;
    }
    return Succeed();
}

bool AudioLibrary::ChannelPlay(uint32_t handle, bool restart)
{
    Guard held(m_lock);
    AudioStream* stream = Find(handle);
    if (!stream)
        return false;
    if (restart) {
        if (!stream->Decoder().Rewind())
            return Fail(kErrorCorrupt);
        stream->ended = false;
        stream->playing = true;
        if (stream->voice)
            m_output->StartVoice(stream->voice, true);
        return Succeed();
    }
    // Without restart a playing stream goes on, a stopped one resumes where it stopped, and one
    // that ran out stays at its end (only a restart plays it again).
    if (!stream->playing && !stream->ended) {
        stream->playing = true;
        if (stream->voice)
            m_output->StartVoice(stream->voice, false);
    }
    return Succeed();
}

bool AudioLibrary::ChannelStop(uint32_t handle)
{
    Guard held(m_lock);
    AudioStream* stream = Find(handle);
    if (!stream)
        return false;
    stream->playing = false;
    if (stream->voice)
        m_output->StopVoice(stream->voice);
    return Succeed();
}

uint32_t AudioLibrary::ChannelIsActive(uint32_t handle)
{
    Guard held(m_lock);
    AudioStream* stream = Find(handle);
    if (!stream)
        return 0;
    Succeed();
    return stream->playing ? 1 : 0;
}

}  // namespace zen::audio
