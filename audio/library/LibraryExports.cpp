// The audio library's C entry points, exported by name: the sound manager resolves every one of
// them and calls the ones the program needs. Those do their work in AudioLibrary; the others
// exist so that every name resolves, and fail with kErrorNotAvailable. Integers are 32-bit as
// the callers pass them; a boolean result is 1 or 0.
#include <cstdint>
#include <memory>

#include "audio/AudioLibrary.h"
#include "audio/RecordingAudioOutput.h"
#ifdef _WIN32
#include "audio/win32/DirectSoundOutput.h"
#define ZEN_AUDIO_EXPORT extern "C" __declspec(dllexport)
#else
#define ZEN_AUDIO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using zen::audio::AudioLibrary;
using zen::audio::AudioVector;

namespace {

// The library of the process, made on the first call. Windows plays through DirectSound; the
// native build (tests only) records what it is asked to do.
AudioLibrary& Library()
{
#ifdef _WIN32
    static AudioLibrary library(std::make_unique<zen::audio::DirectSoundOutput>());
#else
    static AudioLibrary library(std::make_unique<zen::audio::RecordingAudioOutput>());
#endif
    return library;
}

int32_t Bool(bool value)
{
    return value ? 1 : 0;
}

}  // namespace

ZEN_AUDIO_EXPORT uint32_t BASS_GetVersion()
{
    return AudioLibrary::kVersion;
}

ZEN_AUDIO_EXPORT int32_t BASS_SetConfig(uint32_t option, uint32_t value)
{
    return Bool(Library().SetConfig(option, value));
}

ZEN_AUDIO_EXPORT uint32_t BASS_GetConfig(uint32_t option)
{
    return Library().GetConfig(option);
}

ZEN_AUDIO_EXPORT const char* BASS_GetDeviceDescription(uint32_t device)
{
    return Library().DeviceDescription(device);
}

ZEN_AUDIO_EXPORT int32_t BASS_ErrorGetCode()
{
    return Library().ErrorCode();
}

ZEN_AUDIO_EXPORT int32_t BASS_Init(int32_t device, uint32_t sampleRate, uint32_t flags, void* window, const void*)
{
    return Bool(Library().Init(device, sampleRate, flags, window));
}

ZEN_AUDIO_EXPORT uint32_t BASS_GetDevice()
{
    return Library().Device();
}

ZEN_AUDIO_EXPORT int32_t BASS_Free()
{
    return Bool(Library().Free());
}

ZEN_AUDIO_EXPORT int32_t BASS_Set3DFactors(float distance, float rolloff, float doppler)
{
    return Bool(Library().Set3DFactors(distance, rolloff, doppler));
}

ZEN_AUDIO_EXPORT int32_t BASS_Set3DPosition(const AudioVector* position, const AudioVector* velocity,
                                            const AudioVector* front, const AudioVector* top)
{
    return Bool(Library().Set3DPosition(position, velocity, front, top));
}

ZEN_AUDIO_EXPORT void BASS_Apply3D()
{
    Library().Apply3D();
}

ZEN_AUDIO_EXPORT uint32_t BASS_StreamCreateFile(int32_t fromMemory, const void* data, uint32_t offset,
                                                uint32_t length, uint32_t flags)
{
    return Library().StreamCreate(fromMemory != 0, data, offset, length, flags);
}

ZEN_AUDIO_EXPORT int32_t BASS_StreamFree(uint32_t handle)
{
    return Bool(Library().StreamFree(handle));
}

ZEN_AUDIO_EXPORT int32_t BASS_ChannelSetFlags(uint32_t handle, uint32_t flags)
{
    return Bool(Library().ChannelSetFlags(handle, flags));
}

ZEN_AUDIO_EXPORT int32_t BASS_ChannelSetAttributes(uint32_t handle, int32_t frequency, int32_t volume, int32_t pan)
{
    return Bool(Library().ChannelSetAttributes(handle, frequency, volume, pan));
}

ZEN_AUDIO_EXPORT int32_t BASS_ChannelSet3DAttributes(uint32_t handle, int32_t mode, float minDistance,
                                                     float maxDistance, int32_t insideAngle, int32_t outsideAngle,
                                                     int32_t outsideVolume)
{
    return Bool(Library().ChannelSet3DAttributes(handle, mode, minDistance, maxDistance, insideAngle, outsideAngle,
                                                 outsideVolume));
}

ZEN_AUDIO_EXPORT int32_t BASS_ChannelSet3DPosition(uint32_t handle, const AudioVector* position,
                                                   const AudioVector* orientation, const AudioVector* velocity)
{
    return Bool(Library().ChannelSet3DPosition(handle, position, orientation, velocity));
}

ZEN_AUDIO_EXPORT int32_t BASS_ChannelPlay(uint32_t handle, int32_t restart)
{
    return Bool(Library().ChannelPlay(handle, restart != 0));
}

ZEN_AUDIO_EXPORT int32_t BASS_ChannelStop(uint32_t handle)
{
    return Bool(Library().ChannelStop(handle));
}

ZEN_AUDIO_EXPORT uint32_t BASS_ChannelIsActive(uint32_t handle)
{
    return Library().ChannelIsActive(handle);
}

// Entry points the library carries without offering them: integer, handle and pointer results
// are 0, the float ones 0.0, and the last error says the call is not available.
#define ZEN_AUDIO_UNAVAILABLE(name)                  \
    ZEN_AUDIO_EXPORT uintptr_t name()                \
    {                                                \
        Library().Unavailable();                     \
        return 0;                                    \
    }
#define ZEN_AUDIO_UNAVAILABLE_FLOAT(name)            \
    ZEN_AUDIO_EXPORT float name()                    \
    {                                                \
        Library().Unavailable();                     \
        return 0.0f;                                 \
    }

ZEN_AUDIO_UNAVAILABLE(BASS_SetDevice)
ZEN_AUDIO_UNAVAILABLE(BASS_GetDSoundObject)
ZEN_AUDIO_UNAVAILABLE(BASS_GetInfo)
ZEN_AUDIO_UNAVAILABLE(BASS_Update)
ZEN_AUDIO_UNAVAILABLE_FLOAT(BASS_GetCPU)
ZEN_AUDIO_UNAVAILABLE(BASS_Start)
ZEN_AUDIO_UNAVAILABLE(BASS_Stop)
ZEN_AUDIO_UNAVAILABLE(BASS_Pause)
ZEN_AUDIO_UNAVAILABLE(BASS_SetVolume)
ZEN_AUDIO_UNAVAILABLE(BASS_GetVolume)
ZEN_AUDIO_UNAVAILABLE(BASS_Get3DFactors)
ZEN_AUDIO_UNAVAILABLE(BASS_Get3DPosition)
ZEN_AUDIO_UNAVAILABLE(BASS_SetEAXParameters)
ZEN_AUDIO_UNAVAILABLE(BASS_GetEAXParameters)
ZEN_AUDIO_UNAVAILABLE(BASS_MusicLoad)
ZEN_AUDIO_UNAVAILABLE(BASS_MusicFree)
ZEN_AUDIO_UNAVAILABLE(BASS_MusicGetName)
ZEN_AUDIO_UNAVAILABLE(BASS_MusicSetAttribute)
ZEN_AUDIO_UNAVAILABLE(BASS_MusicGetAttribute)
ZEN_AUDIO_UNAVAILABLE(BASS_SampleLoad)
ZEN_AUDIO_UNAVAILABLE(BASS_SampleCreate)
ZEN_AUDIO_UNAVAILABLE(BASS_SampleCreateDone)
ZEN_AUDIO_UNAVAILABLE(BASS_SampleFree)
ZEN_AUDIO_UNAVAILABLE(BASS_SampleGetInfo)
ZEN_AUDIO_UNAVAILABLE(BASS_SampleSetInfo)
ZEN_AUDIO_UNAVAILABLE(BASS_SampleGetChannel)
ZEN_AUDIO_UNAVAILABLE(BASS_SampleStop)
ZEN_AUDIO_UNAVAILABLE(BASS_StreamCreate)
ZEN_AUDIO_UNAVAILABLE(BASS_StreamCreateURL)
ZEN_AUDIO_UNAVAILABLE(BASS_StreamCreateFileUser)
ZEN_AUDIO_UNAVAILABLE(BASS_StreamGetTags)
ZEN_AUDIO_UNAVAILABLE(BASS_StreamGetFilePosition)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordGetDeviceDescription)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordInit)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordSetDevice)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordGetDevice)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordFree)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordGetInfo)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordGetInputName)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordSetInput)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordGetInput)
ZEN_AUDIO_UNAVAILABLE(BASS_RecordStart)
ZEN_AUDIO_UNAVAILABLE_FLOAT(BASS_ChannelBytes2Seconds)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelSeconds2Bytes)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelGetDevice)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelGetInfo)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelPreBuf)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelPause)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelGetAttributes)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelSlideAttributes)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelIsSliding)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelGet3DAttributes)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelGet3DPosition)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelSetPosition)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelGetPosition)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelGetLevel)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelGetData)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelSetSync)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelRemoveSync)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelSetDSP)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelRemoveDSP)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelSetFX)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelRemoveFX)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelSetEAXMix)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelGetEAXMix)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelSetLink)
ZEN_AUDIO_UNAVAILABLE(BASS_ChannelRemoveLink)
ZEN_AUDIO_UNAVAILABLE(BASS_FXSetParameters)
ZEN_AUDIO_UNAVAILABLE(BASS_FXGetParameters)

#ifndef _WIN32
// Native builds only: the device of the process's library, for the tests that load it.
ZEN_AUDIO_EXPORT zen::audio::RecordingAudioOutput* ZenAudioRecording()
{
    return static_cast<zen::audio::RecordingAudioOutput*>(&Library().Output());
}
#endif
