#pragma once
#include <cstdint>

#include "engine/modules/SceneCodec.h"

namespace zen {

// The scene file format ("STR"): a 12-byte version header (major, minor, release as 32-bit
// little-endian integers) followed by one object record, the scene's root, in the encoding of
// the object stream. There is no signature, length or checksum. A file is read when its version
// is not older than the engine's; it is written with the engine's version.
// Module and codec name "STRSceneCodec"; extensions "STR", "str", "Str".
class STRSceneCodec : public SceneCodec {
public:
    STRSceneCodec();

    // kSuccess with the root, unreferenced, in `out`; kInvalidArgument for null arguments;
    // kFailure when the file cannot be opened, is too old or short, or its object cannot be read.
    // The codec itself logs nothing; the stream and the objects log what failed.
    Result Load(File* file, Object** out) override;
    // kSuccess; kFailure for null arguments, a file that cannot be opened or closed, or an
    // object that cannot be written.
    Result Save(File* file, Object* root) override;

    // True when (major * 100 + minor) * 100 + release, in wrapping signed 32-bit arithmetic, is
    // at least the engine version's number (0.1.2 gives 102).
    static bool IsVersionSupported(int32_t major, int32_t minor, int32_t release);
};

}  // namespace zen
