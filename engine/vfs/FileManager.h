#pragma once
#include <cstdint>

#include "engine/core/Result.h"
#include "engine/core/String.h"

namespace zen {

class Directory;
class File;

// The process-wide file tree. Its root (an unnamed directory) exists between Initialize and
// Terminate, which the engine runs at start and stop. Archives are attached as directories
// named after the archive file, built by the archive codec (FileCodec) whose extension matches;
// lookups then search every attached directory, so a bare name such as "Main.STR" is found
// wherever it lies.
class FileManager {
public:
    // Engine start and stop functions (registered from FileManager.cpp).
    static Result Initialize();
    static Result Terminate();  // Destroys the root and everything attached to it.

    // Builds a directory from `archive` with the archive codec for its extension and attaches
    // it to the root. kSuccess; kInvalidArgument for a null file or no codec; the codec's
    // result when it fails; kFailure when the directory cannot be attached.
    static Result AttachArchive(File* archive, const String& password);
    // AttachArchive over the program's MEDIADATA resource `id`, seen as a file called `name`
    // (for example "Media.rar2"); the resource bytes are read in place, never copied or freed.
    static Result AttachResource(int id, const String& name, const String& password);

    // The first hit of FindFile(path) among the directories attached to the root, in order;
    // files attached directly to the root are not searched. Null when none (nothing logged).
    static File* FindFile(const String& path);
    static Directory* Root();  // Null outside Initialize..Terminate.

    // The bytes of MEDIADATA resource `id`: kSuccess; kInvalidArgument for a null output;
    // kFailure when the resource is missing or cannot be loaded. The bytes belong to the system.
    static Result LoadResourceData(int id, const void** data, uint32_t* size);
};

}  // namespace zen
