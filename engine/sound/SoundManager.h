#pragma once
#include <cstdint>

#include "engine/core/Result.h"
#include "engine/core/Vector3.h"

namespace zen {

// The process's sound: loads the audio library that the program carries (resource 108 of
// type "BASS"), through a temporary file, resolves its entry points by name, checks its
// version and opens the default device with 3D sound. Everything else in the engine reaches
// the library through the calls below, each of which does nothing (and reports failure) when
// its entry point was not resolved, so no unresolved entry point is ever called. Without a
// device the library itself fails every call quietly and the program runs silent.
class SoundManager {
public:
    static constexpr uint32_t kRequiredVersion = 0x20002;
    static constexpr int kResourceId = 108;
    static constexpr uint32_t kStreamLoop = 4;
    static constexpr uint32_t kStream3D = 8;

    // Engine manager (Startup.h): 0, or 1 when the library cannot be loaded or has the wrong
    // version. A device that cannot be opened is only logged.
    static Result Initialize();
    static Result Terminate();  // Frees the device, unloads the library, deletes its file.

    // The global stream volume: min(percent, 100).
    static void SetVolume(uint32_t percent);
    // BASS_Init on the default device at 44100 Hz with 3D, for `window` (null at engine start),
    // with its log line; then the 3D factors (distance 1, roll-off 7, Doppler 1), applied. A
    // failure that repeats the one logged last is not logged again.
    static void StartDevice(void* window);
    // The listener turns with the camera: front and top in world axes, then applied.
    static void SetListener(const Vector3& front, const Vector3& top);

    // The library's calls the sound nodes make. Handles are 0 for "none"; the bool results are
    // the library's.
    static bool IsLoaded();
    static uint32_t StreamCreate(const void* data, uint32_t length, uint32_t flags);  // 0 on failure.
    static void StreamFree(uint32_t handle);
    static void ChannelSetFlags(uint32_t handle, uint32_t flags);
    static void ChannelSetMinDistance(uint32_t handle, float minDistance);
    static void ChannelSetVolume(uint32_t handle, int32_t volume);
    static void ChannelSetPosition(uint32_t handle, const Vector3& position);
    static void ChannelPlay(uint32_t handle, bool restart);
    static void ChannelStop(uint32_t handle);
    static bool ChannelIsActive(uint32_t handle);
    static void Apply3D();
    static int32_t ErrorCode();

    // The loaded library (tests look up their own entry points in it); null when none.
    static void* LibraryHandle();
    // The name of the i-th entry point in resolution order, null past the last.
    static const char* EntryPointName(uint32_t index);
    static bool IsResolved(uint32_t index);
};

}  // namespace zen
