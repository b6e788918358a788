// Where the native build's audio library lies (a generated header, so only this object depends
// on the build tree's location).
#include "NativeAudioLibraryPath.h"
#include "platform/PosixTestHooks.h"

namespace platform::posix {

const char* NativeAudioLibraryPath()
{
    return ZEN_NATIVE_AUDIO_LIBRARY;
}

}  // namespace platform::posix
