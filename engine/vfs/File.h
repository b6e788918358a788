#pragma once
#include <cstdint>
#include <cstdio>

#include "engine/core/Named.h"
#include "engine/core/Result.h"
#include "engine/core/Stream.h"
#include "engine/core/String.h"

namespace zen {

class Directory;

// A file of the file tree, read and written as a Stream. Opening for reading loads the whole
// content into the stream buffer; opening for writing collects the written bytes in the buffer
// and hands them to the disk at Close. This class reaches the disk through the C runtime at the
// file's full path (see GetPath); MemoryFile keeps its bytes in memory instead. A file is owned
// by its directory (or by whoever made it, when it has none) and is not reference counted.
class File : public Stream, public Named {
public:
    enum Mode : uint32_t {
        kRead = 0,    // "rb": the whole file is loaded at Open. Any unknown mode means this.
        kWrite = 1,   // "wb": truncates at Open; the bytes written reach the disk at Close.
        kAppend = 2,  // "ab": as kWrite, added to the end of what is there.
    };

    explicit File(const String& name = String());
    ~File() override;  // Closes, then detaches from the parent directory.

    // Stream primitives, allowed only in the matching open mode: reading needs kRead, writing
    // kWrite or kAppend. Misuse returns kFailure with a warning and leaves the stream unchanged.
    uint32_t GetSize() override;  // Loaded length, or bytes written; a closed file is measured on disk (0 on failure).
    Result Write(const void* data, uint32_t size) override;
    Result Read(void* data, uint32_t size) override;

    // kSuccess; kFailure when the file cannot be opened (or an open file cannot be closed
    // first); kOutOfMemory when its content does not fit in memory. Open and Close empty the
    // stream's object-ID table; they do not reset a failed stream state.
    virtual Result Open(uint32_t mode);
    // kSuccess (also when not open); kFailure when written bytes could not all reach the disk:
    // the file then stays open with its buffer intact so the caller can retry.
    virtual Result Close();

    bool IsOpen() const { return m_open; }
    uint32_t OpenMode() const { return m_mode; }

    // The parent directory's path followed by the name; just the name without a parent.
    String GetPath() const;
    // The text after the last "." of the name; empty when there is none.
    String GetExtension() const;
    Directory* Parent() const { return m_parent; }

protected:
    // Common part of Close for every kind of file: flags, buffer and ID table back to closed.
    void ResetClosed();

    uint32_t m_mode = kRead;
    bool m_open = false;

private:
    friend class Directory;  // Sets and clears the parent link when attaching and detaching.

    std::FILE* m_handle = nullptr;  // Owned while a disk file is open.
    uint32_t m_written = 0;         // Buffer bytes already handed to the disk by an unfinished Close.
    Directory* m_parent = nullptr;  // Not owned: the directory that owns this file.
};

}  // namespace zen
