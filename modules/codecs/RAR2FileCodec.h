#pragma once
#include <cstdint>

#include "engine/modules/FileCodec.h"

namespace zen {

class Directory;
class MemoryFile;
struct Rar2Entry;

// The archive codec for RAR 2.0 archives (module and codec name "RAR2FileCodec", extensions
// "rar2", "RAR2", "Rar2"). Load unpacks every entry once, in archive order, into a tree of
// MemoryFiles owned by the codec's module; entries that fail (damaged data, bad CRC, wrong or
// missing password, unsupported version) become MemoryFiles without data, and names that would
// leave the tree (".." parts, absolute paths, drive letters) are refused with a warning. Save
// writes a directory tree as a compressed RAR 2.0 archive.
class RAR2FileCodec : public FileCodec {
public:
    RAR2FileCodec();

    // kSuccess with a new directory named after the archive file in `out`; kInvalidArgument
    // for null arguments; kFailure when the file cannot be opened or closed or is no RAR
    // archive; kOutOfMemory.
    Result Load(File* archive, Directory** out, const String& password) override;
    // kSuccess; kFailure for null arguments or when the archive cannot be built or written.
    // Files that cannot be read (memory files without data) are left out with a warning.
    Result Save(File* archive, Directory* directory, const String& password) override;

    // The name an entry gets in the file tree: the stored bytes, or the Unicode form converted
    // to code page 1251 when the archive carries one that fits that page.
    static String EngineName(const Rar2Entry& entry);
    // The memory file Load made in `tree` (the directory it returned) for the entry of engine
    // name `name`, or null (no such file entry, or a refused name).
    static MemoryFile* FindEntryFile(Directory* tree, const String& name);
};

}  // namespace zen
