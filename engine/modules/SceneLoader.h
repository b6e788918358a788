#pragma once
#include "engine/core/Result.h"

namespace zen {

class File;
class Object;

// Loads the scene stored in `file` with the registered scene codec (SceneCodec) whose
// extensions include the file's. kSuccess with the root, unreferenced, in `out` (the caller
// adopts it); kInvalidArgument for null arguments or when no scene codec accepts the file;
// kFailure when the codec fails or the file's root record is the null reference.
Result LoadScene(File* file, Object** out);

}  // namespace zen
