#pragma once
#include "engine/modules/Codec.h"

namespace zen {

class Directory;

// An archive codec: Load turns an archive file into a new directory (named after the archive
// file, attached to nothing) of memory files, one per stored file; the FileManager attaches it
// to its root. Save writes a directory as an archive.
class FileCodec : public Codec {
public:
    uint32_t GetType() const override { return kFileCodec; }

    // kSuccess with the new directory in `out`, which the caller then owns; otherwise the
    // engine's result codes (kInvalidArgument for null arguments).
    virtual Result Load(File* archive, Directory** out, const String& password) = 0;
    virtual Result Save(File* archive, Directory* directory, const String& password) = 0;

protected:
    explicit FileCodec(const String& name) : Codec(name) {}
};

}  // namespace zen
