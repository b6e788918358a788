#pragma once
#include <cstdint>

// Error codes of the audio library. A call that fails returns 0 (or false) and leaves one of
// these as the last error, which BASS_ErrorGetCode reports; a call that succeeds sets kOk.
namespace zen::audio {

enum AudioError : int32_t {
    kOk = 0,
    kErrorMemory = 1,          // An allocation failed.
    kErrorNoData = 2,          // No bytes were given for a stream.
    kErrorDevice = 3,          // The output device could not be opened.
    kErrorNotInitialized = 4,  // The call needs an initialised device.
    kErrorAlready = 5,         // The device is already initialised.
    kErrorHandle = 6,          // Not a handle of a live stream.
    kErrorFormat = 7,          // Sample rate or channel count outside what the library plays.
    kErrorArgument = 8,        // An argument is out of range or null.
    kErrorNo3D = 9,            // A 3D call on a stream made without the 3D flag.
    kErrorNotAvailable = 10,   // The entry point exists but the library does not offer it.
    kErrorFileForm = 11,       // The bytes are neither Ogg Vorbis nor MPEG audio layer III.
    kErrorCorrupt = 12,        // The sound file is damaged.
};

}  // namespace zen::audio
