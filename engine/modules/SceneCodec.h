#pragma once
#include "engine/modules/Codec.h"

namespace zen {

class Object;

// A codec for scene files: Load reads the object graph a file stores and returns its root,
// Save stores a graph. LoadScene (SceneLoader.h) picks the codec for a file by its extension.
class SceneCodec : public Codec {
public:
    uint32_t GetType() const override { return kSceneCodec; }

    // kSuccess with the root, unreferenced, in `out` (the caller adopts it); kInvalidArgument
    // for null arguments; kFailure otherwise.
    virtual Result Load(File* file, Object** out) = 0;
    virtual Result Save(File* file, Object* root) = 0;

protected:
    explicit SceneCodec(const String& name) : Codec(name) {}
};

}  // namespace zen
